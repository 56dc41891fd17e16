// The translation catalogues against the code: the texts are extracted from
// the sources anew, and every catalogue must hold each of them, translated,
// with the same placeholders and a keyboard accelerator where the source
// has one. A text added to the code without a translation fails here.
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Entry
{
    // The translation; of a text with a count, each plural form.
    QStringList forms;
    QString translation;
    QString type; // "", "unfinished", "vanished", "obsolete"
};

// context + '\x1f' + source -> entry
using Catalogue = QHash<QString, Entry>;

bool readCatalogue(const QString& path, Catalogue* catalogue, QString* language, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    QXmlStreamReader xml(&file);
    QString context;
    QString source;
    Entry entry;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("TS")) {
            *language = xml.attributes().value(QLatin1String("language")).toString();
        } else if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            source.clear();
            entry = Entry();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            entry.type = xml.attributes().value(QLatin1String("type")).toString();
            // Plain text, or one <numerusform> per plural form.
            while (!xml.atEnd() && !(xml.isEndElement() && xml.name() == QLatin1String("translation"))) {
                xml.readNext();
                if (xml.isCharacters())
                    entry.translation += xml.text();
                else if (xml.isStartElement() && xml.name() == QLatin1String("numerusform"))
                    entry.forms << xml.readElementText();
            }
            if (entry.forms.isEmpty())
                entry.forms << entry.translation;
            else
                entry.translation = entry.forms.join(QString());
            catalogue->insert(context + QChar(0x1f) + source, entry);
        }
    }
    if (xml.hasError()) {
        *error = xml.errorString();
        return false;
    }
    return true;
}

QStringList placeholders(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("%(\\d+|p%|n)"));
    QStringList found;
    auto it = pattern.globalMatch(text);
    while (it.hasNext())
        found << it.next().captured();
    found.sort();
    return found;
}

// A single '&' before a character marks an accelerator; "&&" is a literal one.
bool hasAccelerator(const QString& text)
{
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return true;
    }
    return false;
}

// Calls whose texts lupdate cannot file under the context they are looked up
// in: a text or a context that is not a literal, or a helper function that
// passes its argument on. Such texts stay English in every language. A class
// with Q_DECLARE_TR_FUNCTIONS is the form lupdate follows.
QStringList hiddenTexts(const QString& code)
{
    static const QRegularExpression forms[] = {
        QRegularExpression(QStringLiteral("QCoreApplication::translate\\(\\s*[^\\s\"]")),
        QRegularExpression(QStringLiteral("QCoreApplication::translate\\(\\s*\"[^\"]*\"\\s*,\\s*[^\\s\"]")),
        QRegularExpression(QStringLiteral("QString\\s+\\w*(tr|Tr)\\s*\\(\\s*const\\s+char\\s*\\*")),
    };
    QStringList found;
    for (const QRegularExpression& form : forms) {
        auto it = form.globalMatch(code);
        while (it.hasNext())
            found << it.next().captured().simplified();
    }
    return found;
}

QString shown(const QString& key)
{
    QString s = key;
    s.replace(QChar(0x1f), QLatin1String(" / "));
    return s;
}

} // namespace

class TranslationsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Catalogue m_fresh;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QFile list(QStringLiteral(MSGDESK_TRANSLATED_SOURCES_LIST));
        QVERIFY2(list.open(QIODevice::ReadOnly), qPrintable(list.fileName()));
        const QStringList sources = QString::fromUtf8(list.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(sources.size() > 10);

        // lupdate reads its file list from a file, so the command line stays short.
        const QString listFile = m_dir.filePath(QStringLiteral("sources.lst"));
        {
            QFile out(listFile);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(sources.join(QLatin1Char('\n')).toUtf8());
        }
        const QString fresh = m_dir.filePath(QStringLiteral("fresh.ts"));
        QProcess lupdate;
        lupdate.start(QStringLiteral(MSGDESK_LUPDATE),
                      {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                       QLatin1Char('@') + listFile, QStringLiteral("-ts"), fresh});
        QVERIFY(lupdate.waitForFinished(-1));
        QVERIFY2(lupdate.exitCode() == 0, lupdate.readAllStandardError().constData());

        QString language;
        QString error;
        QVERIFY2(readCatalogue(fresh, &m_fresh, &language, &error), qPrintable(error));
        // The code has texts to translate, or the extraction went wrong.
        QVERIFY2(m_fresh.size() > 100, qPrintable(QString::number(m_fresh.size())));
    }

    void everyTextIsTranslated_data()
    {
        QTest::addColumn<QString>("language");
        for (const QString& language : QStringLiteral(MSGDESK_LANGUAGES).split(QLatin1Char(',')))
            QTest::newRow(qPrintable(language)) << language;
    }

    void everyTextIsTranslated()
    {
        QFETCH(QString, language);
        const QString path =
            QStringLiteral(MSGDESK_TRANSLATIONS_SOURCE_DIR "/msgdesk_") + language + QStringLiteral(".ts");
        Catalogue catalogue;
        QString declared;
        QString error;
        QVERIFY2(readCatalogue(path, &catalogue, &declared, &error), qPrintable(path + QLatin1String(": ") + error));
        QCOMPARE(declared, language);

        QStringList problems;
        for (auto it = m_fresh.cbegin(); it != m_fresh.cend(); ++it) {
            const QString source = it.key().section(QChar(0x1f), 1);
            const auto found = catalogue.constFind(it.key());
            if (found == catalogue.cend()) {
                problems << QStringLiteral("missing: ") + shown(it.key());
                continue;
            }
            const Entry& entry = found.value();
            if (!entry.type.isEmpty() || entry.translation.isEmpty()) {
                problems << QStringLiteral("not translated (%1): ").arg(entry.type) + shown(it.key());
                continue;
            }
            for (const QString& form : entry.forms) {
                if (placeholders(source) != placeholders(form))
                    problems << QStringLiteral("placeholders differ: ") + shown(it.key());
            }
            if (hasAccelerator(source) && !hasAccelerator(entry.translation))
                problems << QStringLiteral("accelerator lost: ") + shown(it.key());
        }
        // Entries the code no longer has only weigh the catalogue down.
        for (auto it = catalogue.cbegin(); it != catalogue.cend(); ++it) {
            if (!m_fresh.contains(it.key()))
                problems << QStringLiteral("no longer in the code: ") + shown(it.key());
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void everyTextIsSeenByTheExtraction()
    {
        QFile list(QStringLiteral(MSGDESK_TRANSLATED_SOURCES_LIST));
        QVERIFY(list.open(QIODevice::ReadOnly));
        QStringList problems;
        for (const QString& path : QString::fromUtf8(list.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            QFile source(path);
            if (!path.endsWith(QLatin1String(".cpp")) && !path.endsWith(QLatin1String(".h")))
                continue;
            QVERIFY2(source.open(QIODevice::ReadOnly), qPrintable(path));
            for (const QString& call : hiddenTexts(QString::fromUtf8(source.readAll())))
                problems << path + QLatin1String(": ") + call;
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void checksCatchHiddenTexts()
    {
        // The forms that once kept texts English in every language.
        QCOMPARE(hiddenTexts(QStringLiteral("QString tr(const char* text)\n"
                                            "{ return QCoreApplication::translate(\"BackupRun\", text); }"))
                     .size(),
                 2);
        QCOMPARE(hiddenTexts(QStringLiteral("inline QString windowTr(const char *text);")).size(), 1);
        QCOMPARE(hiddenTexts(QStringLiteral("QCoreApplication::translate(context, \"Open\")")).size(), 1);
        // The forms lupdate follows.
        QVERIFY(hiddenTexts(QStringLiteral("QCoreApplication::translate(\"MainWindow\", \"Open\");\n"
                                           "class Texts { Q_DECLARE_TR_FUNCTIONS(BackupRun) };\n"
                                           "return Texts::tr(\"unknown\"); QString trimmed(const QString&);"))
                    .isEmpty());
    }

    void checksCatchUnfinishedAndMissingTexts()
    {
        // The reader must see the markers the test relies on.
        const QString path = m_dir.filePath(QStringLiteral("sample.ts"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n"
                   "<TS version=\"2.1\" language=\"de\"><context><name>C</name>"
                   "<message><source>&amp;File</source><translation type=\"unfinished\"></translation></message>"
                   "<message><source>%1 of %2</source><translation>%1 von</translation></message>"
                   "</context></TS>\n");
        file.close();
        Catalogue catalogue;
        QString language;
        QString error;
        QVERIFY2(readCatalogue(path, &catalogue, &language, &error), qPrintable(error));
        QCOMPARE(language, QStringLiteral("de"));
        QCOMPARE(catalogue.size(), 2);
        const QString file_ = QStringLiteral("C") + QChar(0x1f) + QStringLiteral("&File");
        QCOMPARE(catalogue.value(file_).type, QStringLiteral("unfinished"));
        QVERIFY(hasAccelerator(QStringLiteral("&File")));
        QVERIFY(!hasAccelerator(QStringLiteral("Fish && Chips")));
        QVERIFY(placeholders(QStringLiteral("%1 of %2")) != placeholders(QStringLiteral("%1 von")));
    }
};

QTEST_GUILESS_MAIN(TranslationsTest)
#include "tst_translations.moc"
