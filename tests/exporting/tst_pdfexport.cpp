// The pdf export, read back with poppler's tools: every text comes out as
// text (accents, CJK, markup shown literally), each conversation starts on
// a page of its own, long conversations and long messages run over pages
// without losing anything, pictures go in only when attachments are
// included, and damaged pictures give a tile instead of a crash.

#include "Export.h"
#include "ExportFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace exporting;

namespace {

// The standard output of a poppler tool run on path; empty when it fails.
QString poppler(const QString& tool, QStringList arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of each page, in order.
QStringList pagesOf(const QString& pdf)
{
    QString text = poppler(QStringLiteral("pdftotext"),
                           {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    QStringList pages = text.split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.constLast().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The pictures in the file: images without a transparency mask (emoji drawn
// as pictures come with one).
int pictureCount(const QString& pdf)
{
    const QString list = poppler(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    int pictures = 0;
    for (const QString& line : list.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.simplified().split(QLatin1Char(' '));
        if (fields.size() > 2 && fields.at(2) == QStringLiteral("image"))
            ++pictures;
        else if (fields.size() > 2 && fields.at(2) == QStringLiteral("smask"))
            --pictures;
    }
    return pictures;
}

QString firstLine(const QString& page)
{
    for (const QString& line : page.split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty())
            return line.trimmed();
    return QString();
}

// Whitespace as pdftotext gives it (line ends, runs of spaces) made one space.
QString flat(const QString& text)
{
    return text.simplified();
}

MessageRecord message(qint64 rowId, const QByteArray& key, const QByteArray& name, const QByteArray& text, qint64 time,
                      bool incoming)
{
    MessageRecord m;
    m.rowId = rowId;
    m.address = key;
    m.contactName = name;
    m.text = text;
    m.time = time;
    m.isIncoming = incoming;
    return m;
}

} // namespace

class PdfExportTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void everyTextIsText();
    void longConversationsRunOverPages();
    void aLongMessageIsNotLost();
    void picturesOnlyWithAttachments();
    void damagedPicturesGiveTiles();
    void cancelLeavesNothing();
    void nothingChosenSaysSo();

private:
    Result exportTo(const QString& name, bool attachments, AttachmentFiles* files = nullptr,
                    const Progress& progress = {});

    MessageStore m_store;
    exportfixture::InMemoryFiles m_files;
    QTemporaryDir m_dir;
};

void PdfExportTest::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdfimages")).isEmpty())
        QSKIP("poppler-utils (pdftotext, pdfimages) are not installed");
    QVERIFY(m_dir.isValid());
    exportfixture::addContent(m_files);
}

void PdfExportTest::init()
{
    m_store.clear();
    exportfixture::fill(m_store);
}

Result PdfExportTest::exportTo(const QString& name, bool attachments, AttachmentFiles* files, const Progress& progress)
{
    Options options;
    options.format = Format::Pdf;
    options.includeAttachments = attachments;
    return run(m_store, files ? files : &m_files, options, m_dir.filePath(name), progress);
}

void PdfExportTest::everyTextIsText()
{
    const Result result = exportTo(QStringLiteral("all.pdf"), true);
    QCOMPARE(int(result.status), int(Result::Status::Written));
    QCOMPARE(result.messages, qint64(12));
    const QString path = m_dir.filePath(QStringLiteral("all.pdf"));
    QCOMPARE(result.openPath, path);

    const QStringList pages = pagesOf(path);
    QCOMPARE(pages.size(), 3);
    // One page per conversation, in the list's order, each under its name.
    QCOMPARE(firstLine(pages.at(0)), QStringLiteral("Berg Anna"));
    QCOMPARE(firstLine(pages.at(1)), QStringLiteral("10086"));
    QCOMPARE(firstLine(pages.at(2)), QStringLiteral("Family"));
    for (int i = 0; i < pages.size(); ++i)
        QVERIFY2(pages.at(i).contains(QStringLiteral("Page %1").arg(i + 1)), qPrintable(pages.at(i)));

    const QString anna = flat(pages.at(0));
    for (const char* expected : {"+4915112345678", "Café at 8? crème brûlée for you", "Sure, \"at 8\", see you",
                                 "second line", "a,b;c", "last one", "2024-03-05 22:00", "2024-03-07 22:03"})
        QVERIFY2(anna.contains(QString::fromUtf8(expected)), expected);
    // The right-to-left line keeps its letters (extracted as their shaped
    // forms, which compatibility normalization folds back).
    QVERIFY(anna.normalized(QString::NormalizationForm_KC).contains(QStringLiteral("مرحبا")));
    QVERIFY(flat(pages.at(1)).contains(QStringLiteral("Your code is 1234, valid 5 min")));

    const QString group = flat(pages.at(2));
    for (const char* expected : {"<script>alert('x')</script> & <b>bold</b>", "我们明天见", "Jonas", "mia@example.org",
                                 "Look", "IMG_0001.JPG", "report.pdf", "etc/passwd <img src=x>.jpg"})
        QVERIFY2(group.contains(QString::fromUtf8(expected)), expected);
    // The attachments' placeholders are not shown as characters.
    QVERIFY(!anna.contains(QChar(0xfffc)) && !group.contains(QChar(0xfffc)));
    QVERIFY(flat(pages.at(0)).contains(QStringLiteral("IMG_0002.HEIC not in this backup")));

    const QString info = poppler(QStringLiteral("pdfinfo"), {path});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Title:\\s+Messages"))), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("(A4)")), qPrintable(info));
}

void PdfExportTest::longConversationsRunOverPages()
{
    // 400 messages in one conversation, then a short one of its own.
    QVector<MessageRecord> messages;
    const QByteArray key = "+4930111222";
    for (int i = 1; i <= 400; ++i)
        messages.append(message(i, key, "Long Talk",
                                QStringLiteral("message %1 of the long talk").arg(i, 4, 10, QLatin1Char('0')).toUtf8(),
                                exportfixture::kDay1 + i * 3600, i % 3 != 0));
    messages.append(message(401, "+4930999", "Short Talk", "just one", exportfixture::kDay1, true));
    m_store.clear();
    m_store.messages = messages;
    m_store.messageCount = int(messages.size());
    m_store.buildConversationList();

    const Result result = exportTo(QStringLiteral("long.pdf"), false);
    QCOMPARE(int(result.status), int(Result::Status::Written));
    const QStringList pages = pagesOf(m_dir.filePath(QStringLiteral("long.pdf")));
    QVERIFY2(pages.size() > 10, qPrintable(QString::number(pages.size())));
    // Each conversation starts a page; the short one has its page to itself.
    QStringList headings;
    for (const QString& page : pages)
        if (firstLine(page).endsWith(QStringLiteral(" Talk")))
            headings.append(firstLine(page));
    QCOMPARE(headings.size(), 2);
    QVERIFY(headings.contains(QStringLiteral("Long Talk")) && headings.contains(QStringLiteral("Short Talk")));
    for (const QString& page : pages)
        if (firstLine(page) == QStringLiteral("Short Talk"))
            QVERIFY(page.contains(QStringLiteral("just one")) && !page.contains(QStringLiteral("long talk")));

    const QString all = flat(pages.join(QLatin1Char(' ')));
    int found = 0;
    for (int i = 1; i <= 400; ++i)
        found += all.count(QStringLiteral("message %1 of the long talk").arg(i, 4, 10, QLatin1Char('0')));
    QCOMPARE(found, 400);
    for (int i = 0; i < pages.size(); ++i)
        QVERIFY2(pages.at(i).contains(QStringLiteral("Page %1").arg(i + 1)), qPrintable(QString::number(i + 1)));
    // Every day of the talk has its line.
    QVERIFY(all.contains(QStringLiteral("Tuesday, 5 March 2024")) &&
            all.contains(QStringLiteral("Saturday, 16 March 2024")));
}

void PdfExportTest::aLongMessageIsNotLost()
{
    QStringList words;
    for (int i = 1; i <= 3000; ++i)
        words.append(QStringLiteral("w%1").arg(i, 4, 10, QLatin1Char('0')));
    // And a run with no place to break, wider than any bubble.
    const QString run = QString(400, QLatin1Char('Z'));
    m_store.messages[0].text = (words.join(QLatin1Char(' ')) + QLatin1Char('\n') + run).toUtf8();

    const Result result = exportTo(QStringLiteral("huge.pdf"), false);
    QCOMPARE(int(result.status), int(Result::Status::Written));
    const QStringList pages = pagesOf(m_dir.filePath(QStringLiteral("huge.pdf")));
    QVERIFY2(pages.size() >= 5, qPrintable(QString::number(pages.size())));
    QCOMPARE(firstLine(pages.at(0)), QStringLiteral("Berg Anna"));
    const QString all = flat(pages.join(QLatin1Char(' ')));
    for (const QString& word : std::as_const(words))
        QVERIFY2(all.contains(word), qPrintable(word));
    QString xs = all;
    xs.remove(QRegularExpression(QStringLiteral("[^Z]")));
    QCOMPARE(xs.size(), run.size());
}

void PdfExportTest::picturesOnlyWithAttachments()
{
    QVERIFY(exportTo(QStringLiteral("with.pdf"), true).status == Result::Status::Written);
    QVERIFY(exportTo(QStringLiteral("without.pdf"), false).status == Result::Status::Written);
    const QString with = m_dir.filePath(QStringLiteral("with.pdf"));
    const QString without = m_dir.filePath(QStringLiteral("without.pdf"));
    // The picture and the same picture under the hostile name.
    QCOMPARE(pictureCount(with), 2);
    QCOMPARE(pictureCount(without), 0);

    const QString names = flat(pagesOf(without).join(QLatin1Char(' ')));
    for (const char* name : {"IMG_0001.JPG", "report.pdf", "IMG_0002.HEIC"})
        QVERIFY2(names.contains(QString::fromUtf8(name)), name);
    QVERIFY(!names.contains(QStringLiteral("not in this backup")));
}

void PdfExportTest::damagedPicturesGiveTiles()
{
    exportfixture::InMemoryFiles files;
    QByteArray jpeg;
    {
        exportfixture::InMemoryFiles good;
        exportfixture::addContent(good);
        AttachmentRecord picture;
        picture.relativePath = "Library/SMS/Attachments/01/IMG_0001.JPG";
        QString why;
        QFile file(good.localFile(picture, &why));
        QVERIFY(file.open(QIODevice::ReadOnly));
        jpeg = file.readAll();
    }
    QVERIFY(jpeg.size() > 100);
    // Random bytes under a picture's name, and a picture cut short.
    QByteArray garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += char((i * 7919) % 251);
    files.add("Library/SMS/Attachments/01/IMG_0001.JPG", garbage);
    files.add("Library/SMS/Attachments/04/hostile.jpg", jpeg.left(jpeg.size() / 3));

    const Result result = exportTo(QStringLiteral("damaged.pdf"), true, &files);
    QCOMPARE(int(result.status), int(Result::Status::Written));
    const QString path = m_dir.filePath(QStringLiteral("damaged.pdf"));
    const QString group = flat(pagesOf(path).constLast());
    QVERIFY2(group.contains(QStringLiteral("IMG_0001.JPG")), qPrintable(group));
    QVERIFY2(group.contains(QStringLiteral("etc/passwd <img src=x>.jpg")), qPrintable(group));
    // The cut picture may still give its upper part; the random bytes give none.
    QVERIFY(pictureCount(path) <= 1);
}

void PdfExportTest::cancelLeavesNothing()
{
    int calls = 0;
    const Result result =
        exportTo(QStringLiteral("cancelled.pdf"), true, nullptr, [&](qint64, qint64) { return ++calls < 5; });
    QCOMPARE(int(result.status), int(Result::Status::Cancelled));
    QCOMPARE(calls, 5);
    QVERIFY(QDir(m_dir.path())
                .entryList({QStringLiteral("*cancelled*")}, QDir::AllEntries | QDir::Hidden | QDir::System)
                .isEmpty());
}

void PdfExportTest::nothingChosenSaysSo()
{
    Options options;
    options.format = Format::Pdf;
    options.selection.from = QDate(2030, 1, 1);
    const QString path = m_dir.filePath(QStringLiteral("empty.pdf"));
    const Result result = run(m_store, &m_files, options, path);
    QCOMPARE(int(result.status), int(Result::Status::Written));
    QCOMPARE(result.messages, qint64(0));
    const QStringList pages = pagesOf(path);
    QCOMPARE(pages.size(), 1);
    QVERIFY2(pages.at(0).contains(QStringLiteral("No messages")), qPrintable(pages.at(0)));
}

QTEST_MAIN(PdfExportTest)
#include "tst_pdfexport.moc"
