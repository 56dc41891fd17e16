#include "xresourceMgr.h"

#include "xlanguage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTranslator>

xresourceMgr* xresourceMgr::m_instance = nullptr;

namespace {

const QString kSourceLanguage = QStringLiteral("en_US");

// Appends the names of a null-terminated list; a null list or an empty name
// is skipped rather than trusted.
bool appendNames(const char* const* names, QStringList& into)
{
    if (!names)
        return false;
    bool any = false;
    for (const char* const* p = names; *p; ++p) {
        const QString name = QString::fromUtf8(*p).trimmed();
        if (name.isEmpty())
            continue;
        if (!into.contains(name))
            into.append(name);
        any = true;
    }
    return any;
}

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

xresourceMgr::xresourceMgr(QObject* parent) : QObject(parent) {}

xresourceMgr::~xresourceMgr()
{
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator);
    if (m_qtTranslator)
        QCoreApplication::removeTranslator(m_qtTranslator);
    // Leave no dangling process-wide instance behind.
    if (m_instance == this)
        m_instance = nullptr;
}

bool xresourceMgr::registerSkin(const char* const* names)
{
    return appendNames(names, m_skins);
}

bool xresourceMgr::registerLang(const char* const* names)
{
    return appendNames(names, m_languages);
}

QString xresourceMgr::styleSheetFor(const QString& name) const
{
    if (!m_skins.contains(name))
        return {};
    QString sheet = readText(QStringLiteral(":/shellkit/base.qss"));
    const QDir dir(QStringLiteral(":/skins/") + name);
    const QStringList files =
        dir.entryList({QStringLiteral("*.qss")}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (const QString& file : files) {
        // A marker per file makes the sheet's origin readable in a debugger.
        sheet += QStringLiteral("\n/* ") + name + QLatin1Char('/') + file + QStringLiteral(" */\n");
        sheet += readText(dir.filePath(file));
    }
    return sheet;
}

bool xresourceMgr::setSkin(const QString& name)
{
    if (!m_skins.contains(name))
        return false;
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return false;
    app->setStyleSheet(styleSheetFor(name));
    m_currentSkin = name;
    return true;
}

bool xresourceMgr::setLang(const QString& name)
{
    if (!m_languages.contains(name))
        return false;
    auto dropTranslators = [this] {
        for (QTranslator** t : {&m_translator, &m_qtTranslator}) {
            if (*t) {
                QCoreApplication::removeTranslator(*t);
                delete *t;
                *t = nullptr;
            }
        }
    };
    if (name == kSourceLanguage) {
        dropTranslators();
        m_currentLang = name;
        return true;
    }

    // Load first, switch after: a missing or broken file keeps the language
    // that is in force.
    auto* translator = new QTranslator(this);
    if (!shellkit::loadCatalogue(*translator, name)) {
        delete translator;
        return false;
    }
    dropTranslators();
    m_translator = translator;
    QCoreApplication::installTranslator(m_translator);
    // Qt's own texts (standard buttons, file dialogs) follow where Qt has them.
    auto* qtTexts = new QTranslator(this);
    if (shellkit::loadQtCatalogue(*qtTexts, name)) {
        m_qtTranslator = qtTexts;
        QCoreApplication::installTranslator(m_qtTranslator);
    } else {
        delete qtTexts;
    }
    m_currentLang = name;
    return true;
}
