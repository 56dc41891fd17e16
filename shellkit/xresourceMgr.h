#pragma once

// Skins and languages. A skin is a folder of style sheets in the resource
// bundle, ":/skins/<name>/*.qss", read in file-name order and laid over
// shellkit's own frame rules; several files let several parts of a program
// each bring their own rules. A language is a Qt translation, found as
// xlanguage.h describes, "en_US" being the source texts (no translator).

#include <QObject>
#include <QStringList>

class QTranslator;

class xresourceMgr : public QObject
{
    Q_OBJECT
public:
    static xresourceMgr* m_instance;

    explicit xresourceMgr(QObject* parent = nullptr);
    ~xresourceMgr() override;

    // Both take a list of C strings closed by a null entry.
    bool registerSkin(const char* const* names);
    bool registerLang(const char* const* names);

    bool setSkin(const QString& name);
    bool setLang(const QString& name);

    QStringList skins() const { return m_skins; }
    QStringList languages() const { return m_languages; }
    QString currentSkin() const { return m_currentSkin; }
    QString currentLang() const { return m_currentLang; }

    // The style sheet a skin stands for: shellkit's base rules followed by
    // the skin's files. Empty for a name that is not registered.
    QString styleSheetFor(const QString& name) const;

private:
    QStringList m_skins;
    QStringList m_languages;
    QString m_currentSkin;
    QString m_currentLang;
    QTranslator* m_translator = nullptr;
    QTranslator* m_qtTranslator = nullptr;
};
