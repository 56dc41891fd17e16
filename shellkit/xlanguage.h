#pragma once

// The user's language and the translation catalogues. The programs speak
// the first language of the system's list that they have a catalogue for,
// and English, the language of the source texts, otherwise.
//
// A catalogue "msgdesk_<language>.qm" is looked for in the translations
// folder of the installed tree (share/msgdesk/translations, found relative to
// the program), then in the resource bundle as ":/i18n/<language>.qm".

#include <QString>
#include <QStringList>

class QTranslator;

namespace shellkit {

// The language that English stands for: the source texts, no catalogue.
QString sourceLanguage();

// The first entry of uiLanguages (BCP 47 names such as "de-DE" or
// "zh-Hant-TW", most wanted first) that `available` offers, as its name there
// ("de", "zh_CN", "zh_TW"); Chinese picks the simplified or traditional
// catalogue by script and region. English, or nothing usable, gives
// sourceLanguage().
QString languageFor(const QStringList& uiLanguages, const QStringList& available);

// languageFor() on the system locale's languages (LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG on Unix).
QString systemLanguage(const QStringList& available);

// The folder holding the installed catalogues, empty when there is none.
QString translationsFolder();

// Loads the catalogue of a language into translator; false when it has none.
bool loadCatalogue(QTranslator& translator, const QString& language);

// Loads Qt's own texts (standard buttons, file dialogs) for a language from
// Qt's translations folder; false when Qt has none for it.
bool loadQtCatalogue(QTranslator& translator, const QString& language);

// For programs without a resource manager (the command line): installs the
// catalogues of the system language on the application, which owns them.
// Returns the language in force.
QString installSystemLanguage(const QStringList& available);

} // namespace shellkit
