// The language msgdesk speaks: chosen from the system's languages, German
// menus under a German locale, English where there is no catalogue.
#include "MsgdeskStartup.h"
#include "ProductSetup.h"
#include "xframeskin.h"
#include "xlanguage.h"
#include "xresourceMgr.h"

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

struct Seen
{
    QString language;
    QString fileMenu;
    QString editMenu;
    QString helpMenu;
    QString aboutAction;
    QString phoneRow;
};

// Runs the whole start-up under the locale named by LC_ALL and reads the
// window's texts before ending the loop.
Seen runUnderLocale(const QByteArray& locale)
{
    qputenv("LC_ALL", locale);
    qunsetenv("LANGUAGE");
    int argc = 1;
    char name[] = "msgdesk";
    char* argv[] = {name, nullptr};
    Seen seen;
    MsgdeskStartup::run(argc, argv, [&seen](xframeskin* frame) {
        QWidget* window = frame->child();
        if (xresourceMgr::m_instance)
            seen.language = xresourceMgr::m_instance->currentLang();
        if (auto* menu = window->findChild<QMenu*>(QStringLiteral("menu_File")))
            seen.fileMenu = menu->title();
        if (auto* menu = window->findChild<QMenu*>(QStringLiteral("menuEdit")))
            seen.editMenu = menu->title();
        if (auto* menu = window->findChild<QMenu*>(QStringLiteral("menuHelp"))) {
            seen.helpMenu = menu->title();
            if (!menu->actions().isEmpty())
                seen.aboutAction = menu->actions().first()->text();
        }
        if (auto* list = window->findChild<QListWidget*>(QStringLiteral("listWidget")); list && list->count() > 0)
            seen.phoneRow = list->item(0)->text();
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    });
    return seen;
}

} // namespace

class LanguageTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DOCUMENTS_DIR", "XDG_DOWNLOAD_DIR"})
            qunsetenv(name);
    }

    void cleanupTestCase() { qputenv("LC_ALL", "C.UTF-8"); }

    void languageForLocale_data()
    {
        QTest::addColumn<QStringList>("wanted");
        QTest::addColumn<QString>("expected");
        QTest::newRow("German") << QStringList{"de-DE"} << "de";
        QTest::newRow("Austrian German") << QStringList{"de-AT", "de"} << "de";
        QTest::newRow("Mexican Spanish") << QStringList{"es-MX"} << "es";
        QTest::newRow("Japanese") << QStringList{"ja-JP"} << "ja";
        QTest::newRow("Canadian French") << QStringList{"fr-CA"} << "fr";
        QTest::newRow("mainland Chinese") << QStringList{"zh-CN"} << "zh_CN";
        QTest::newRow("Singapore Chinese") << QStringList{"zh-SG"} << "zh_CN";
        QTest::newRow("simplified script") << QStringList{"zh-Hans-HK"} << "zh_CN";
        QTest::newRow("Taiwan Chinese") << QStringList{"zh-TW"} << "zh_TW";
        QTest::newRow("Hong Kong Chinese") << QStringList{"zh-HK"} << "zh_TW";
        QTest::newRow("traditional script") << QStringList{"zh-Hant"} << "zh_TW";
        QTest::newRow("English") << QStringList{"en-GB", "de-DE"} << "en_US";
        QTest::newRow("first known wins") << QStringList{"pt-BR", "fr-FR", "de-DE"} << "fr";
        QTest::newRow("none known") << QStringList{"pt-BR", "ru-RU"} << "en_US";
        QTest::newRow("C locale") << QStringList{"C"} << "en_US";
        QTest::newRow("nothing") << QStringList{} << "en_US";
        QTest::newRow("garbage") << QStringList{"", "%%%", "xx-YY"} << "en_US";
    }

    void languageForLocale()
    {
        QFETCH(QStringList, wanted);
        QFETCH(QString, expected);
        QCOMPARE(shellkit::languageFor(wanted, ProductSetup::languages()), expected);
    }

    void onlyOfferedLanguagesAreChosen()
    {
        // A language the program has no catalogue for is passed over.
        QCOMPARE(shellkit::languageFor({QStringLiteral("de-DE"), QStringLiteral("ja-JP")},
                                       {QStringLiteral("en_US"), QStringLiteral("ja")}),
                 QStringLiteral("ja"));
        QCOMPARE(shellkit::languageFor({QStringLiteral("zh-TW")}, {QStringLiteral("en_US"), QStringLiteral("zh_CN")}),
                 QStringLiteral("en_US"));
    }

    void germanLocaleShowsGermanMenus()
    {
        const Seen seen = runUnderLocale("de_DE.UTF-8");
        QCOMPARE(seen.language, QStringLiteral("de"));
        QCOMPARE(seen.fileMenu, QStringLiteral("&Datei"));
        QCOMPARE(seen.editMenu, QStringLiteral("Bearbeiten"));
        QCOMPARE(seen.helpMenu, QStringLiteral("&Hilfe"));
        QCOMPARE(seen.aboutAction, QStringLiteral("Ü&ber Varnel Textkeep"));
        QCOMPARE(seen.phoneRow, QStringLiteral("iPhone getrennt"));
    }

    void chineseLocalesPickTheirScript()
    {
        const Seen simplified = runUnderLocale("zh_CN.UTF-8");
        QCOMPARE(simplified.language, QStringLiteral("zh_CN"));
        QCOMPARE(simplified.fileMenu, QStringLiteral("文件(&F)"));
        const Seen traditional = runUnderLocale("zh_TW.UTF-8");
        QCOMPARE(traditional.language, QStringLiteral("zh_TW"));
        QCOMPARE(traditional.fileMenu, QStringLiteral("檔案(&F)"));
    }

    void otherLocalesFallBackToEnglish()
    {
        const Seen seen = runUnderLocale("pt_BR.UTF-8");
        QCOMPARE(seen.language, QStringLiteral("en_US"));
        QCOMPARE(seen.fileMenu, QStringLiteral("&File"));
        QCOMPARE(seen.helpMenu, QStringLiteral("&Help"));
        QCOMPARE(seen.phoneRow, QStringLiteral("iPhone Lost"));
    }
};

QTEST_APPLESS_MAIN(LanguageTest)
#include "tst_language.moc"
