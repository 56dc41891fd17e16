#include "xlanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace shellkit {

namespace {

const char* const kCatalogue = "msgdesk";

QString chineseCatalogue(const QLocale& locale)
{
    if (locale.script() == QLocale::TraditionalChineseScript)
        return QStringLiteral("zh_TW");
    if (locale.script() == QLocale::SimplifiedChineseScript)
        return QStringLiteral("zh_CN");
    switch (locale.territory()) {
    case QLocale::Taiwan:
    case QLocale::HongKong:
    case QLocale::Macao:
        return QStringLiteral("zh_TW");
    default:
        return QStringLiteral("zh_CN");
    }
}

} // namespace

QString sourceLanguage()
{
    return QStringLiteral("en_US");
}

QString languageFor(const QStringList& uiLanguages, const QStringList& available)
{
    for (const QString& name : uiLanguages) {
        const QLocale locale(name);
        // QLocale turns what it does not know into "C"; that is no wish.
        if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
            continue;
        if (locale.language() == QLocale::English)
            return sourceLanguage();
        const QString code = locale.language() == QLocale::Chinese ? chineseCatalogue(locale)
                                                                   : QLocale::languageToCode(locale.language());
        if (available.contains(code))
            return code;
    }
    return sourceLanguage();
}

QString systemLanguage(const QStringList& available)
{
    return languageFor(QLocale::system().uiLanguages(), available);
}

QString translationsFolder()
{
    if (!QCoreApplication::instance())
        return {};
    const QDir program(QCoreApplication::applicationDirPath());
    // msgdesk and msgdesk-cli are in bin/, the updater in libexec/msgdesk/.
    for (const char* relative : {MSGDESK_TRANSLATIONS_FROM_BIN, MSGDESK_TRANSLATIONS_FROM_LIBEXEC}) {
        const QString folder = QDir::cleanPath(program.filePath(QString::fromUtf8(relative)));
        if (QFileInfo(folder).isDir())
            return folder;
    }
    return {};
}

bool loadCatalogue(QTranslator& translator, const QString& language)
{
    if (language.isEmpty() || language == sourceLanguage())
        return false;
    const QString folder = translationsFolder();
    const QString file = QString::fromLatin1(kCatalogue) + QLatin1Char('_') + language + QStringLiteral(".qm");
    if (!folder.isEmpty() && translator.load(QDir(folder).filePath(file)))
        return true;
    return translator.load(QStringLiteral(":/i18n/") + language + QStringLiteral(".qm"));
}

bool loadQtCatalogue(QTranslator& translator, const QString& language)
{
    if (language.isEmpty() || language == sourceLanguage())
        return false;
    return translator.load(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

QString installSystemLanguage(const QStringList& available)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return sourceLanguage();
    const QString language = systemLanguage(available);
    auto* catalogue = new QTranslator(app);
    if (!loadCatalogue(*catalogue, language)) {
        delete catalogue;
        return sourceLanguage();
    }
    QCoreApplication::installTranslator(catalogue);
    auto* qtTexts = new QTranslator(app);
    if (loadQtCatalogue(*qtTexts, language))
        QCoreApplication::installTranslator(qtTexts);
    else
        delete qtTexts;
    return language;
}

} // namespace shellkit
