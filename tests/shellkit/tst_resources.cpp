// Skins and languages of the resource manager. The test bundle brings two
// skins: "layered" with two style sheets (and a file that is not one) and
// "plain" with one, a translation "fr_FR" and a language file that is not one.
#include "xlanguage.h"
#include "xresourceMgr.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTranslator>

class ResourcesTest : public QObject
{
    Q_OBJECT

private:
    static QString baseRules()
    {
        QFile file(QStringLiteral(":/shellkit/base.qss"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll());
    }

private slots:
    void cleanup() { qApp->setStyleSheet(QString()); }

    void baseRulesAreCompiledIn()
    {
        const QString base = baseRules();
        QVERIFY(!base.isEmpty());
        QVERIFY(base.contains(QLatin1String("#xframeskinTitleBar")));
        QVERIFY(base.contains(QLatin1String("#dialogFrame")));
    }

    void registersNullTerminatedLists()
    {
        xresourceMgr mgr;
        const char* const skins[] = {"ray_matter", "Ray_Matter_Plomix", "ultrathin", "default", nullptr};
        const char* const langs[] = {"en_US", "ja", nullptr};
        QVERIFY(mgr.registerSkin(skins));
        QVERIFY(mgr.registerLang(langs));
        QCOMPARE(mgr.skins(), QStringList({"ray_matter", "Ray_Matter_Plomix", "ultrathin", "default"}));
        QCOMPARE(mgr.languages(), QStringList({"en_US", "ja"}));

        // Registering again adds no duplicates; a null list is refused.
        QVERIFY(mgr.registerSkin(skins));
        QCOMPARE(mgr.skins().size(), 4);
        QVERIFY(!mgr.registerSkin(nullptr));
        QVERIFY(!mgr.registerLang(nullptr));
        const char* const empty[] = {nullptr};
        QVERIFY(!mgr.registerSkin(empty));
        QCOMPARE(mgr.skins().size(), 4);
    }

    void onlyRegisteredSkinsCanBeSelected()
    {
        xresourceMgr mgr;
        const char* const skins[] = {"layered", nullptr};
        mgr.registerSkin(skins);

        QVERIFY(!mgr.setSkin(QStringLiteral("plain"))); // in the bundle, not registered
        QVERIFY(qApp->styleSheet().isEmpty());
        QVERIFY(mgr.currentSkin().isEmpty());
        QVERIFY(!mgr.setSkin(QStringLiteral("Layered"))); // names are exact

        QVERIFY(mgr.setSkin(QStringLiteral("layered")));
        QCOMPARE(mgr.currentSkin(), QStringLiteral("layered"));
        QVERIFY(!mgr.setSkin(QStringLiteral("missing")));
        QCOMPARE(mgr.currentSkin(), QStringLiteral("layered"));
    }

    void styleSheetIsBaseThenSkinFilesInNameOrder()
    {
        xresourceMgr mgr;
        const char* const skins[] = {"layered", "plain", nullptr};
        mgr.registerSkin(skins);
        QVERIFY(mgr.setSkin(QStringLiteral("layered")));

        const QString sheet = qApp->styleSheet();
        QCOMPARE(sheet, mgr.styleSheetFor(QStringLiteral("layered")));
        QVERIFY(sheet.startsWith(baseRules()));
        const auto first = sheet.indexOf(QLatin1String("/* layered 10 */"));
        const auto second = sheet.indexOf(QLatin1String("/* layered 20 */"));
        QVERIFY(first > 0);
        QVERIFY(second > first);
        QVERIFY(!sheet.contains(QLatin1String("must be skipped")));
        QVERIFY(!sheet.contains(QLatin1String("/* plain */")));

        // The rules really apply to widgets.
        QLabel label;
        label.setObjectName(QStringLiteral("second"));
        label.ensurePolished();
        QCOMPARE(label.palette().color(QPalette::WindowText), QColor(0x02, 0x02, 0x02));

        // Switching replaces the skin part rather than adding to it.
        QVERIFY(mgr.setSkin(QStringLiteral("plain")));
        QVERIFY(qApp->styleSheet().contains(QLatin1String("/* plain */")));
        QVERIFY(!qApp->styleSheet().contains(QLatin1String("/* layered 10 */")));
        QVERIFY(qApp->styleSheet().startsWith(baseRules()));
    }

    void skinWithoutFilesStillGetsTheBaseRules()
    {
        xresourceMgr mgr;
        const char* const skins[] = {"empty", nullptr};
        mgr.registerSkin(skins);
        QVERIFY(mgr.setSkin(QStringLiteral("empty")));
        QCOMPARE(qApp->styleSheet().trimmed(), baseRules().trimmed());
    }

    void sourceLanguageNeedsNoFile()
    {
        xresourceMgr mgr;
        const char* const langs[] = {"en_US", "fr", "broken", nullptr};
        mgr.registerLang(langs);
        QVERIFY(mgr.setLang(QStringLiteral("en_US")));
        QCOMPARE(mgr.currentLang(), QStringLiteral("en_US"));
        QCOMPARE(QCoreApplication::translate("MainWindow", "Copy"), QStringLiteral("Copy"));
    }

    void unusableLanguagesKeepTheCurrentOne()
    {
        xresourceMgr mgr;
        const char* const langs[] = {"en_US", "it", "broken", nullptr};
        mgr.registerLang(langs);
        QVERIFY(mgr.setLang(QStringLiteral("en_US")));

        QVERIFY(!mgr.setLang(QStringLiteral("de")));     // not registered
        QVERIFY(!mgr.setLang(QStringLiteral("it")));     // registered, no file
        QVERIFY(!mgr.setLang(QStringLiteral("broken"))); // a file, but not a translation
        QCOMPARE(mgr.currentLang(), QStringLiteral("en_US"));
    }

    void installedCataloguesComeFirst()
    {
        // The build keeps the catalogues where an installed tree has them,
        // relative to the programs: this test finds them as msgdesk would.
        if (shellkit::translationsFolder().isEmpty())
            QSKIP("no translations folder beside this build");
        xresourceMgr mgr;
        const char* const langs[] = {"en_US", "fr", nullptr};
        mgr.registerLang(langs);
        QVERIFY(mgr.setLang(QStringLiteral("fr")));
        QCOMPARE(QCoreApplication::translate("MainWindow", "&File"), QStringLiteral("&Fichier"));
        QVERIFY(mgr.setLang(QStringLiteral("en_US")));
        QCOMPARE(QCoreApplication::translate("MainWindow", "&File"), QStringLiteral("&File"));
    }

    void translationIsInstalledAndRemoved()
    {
        const QString copy = QStringLiteral("Copy");
        {
            xresourceMgr mgr;
            const char* const langs[] = {"en_US", "fr_FR", "broken", nullptr};
            mgr.registerLang(langs);
            QVERIFY(mgr.setLang(QStringLiteral("fr_FR")));
            QCOMPARE(mgr.currentLang(), QStringLiteral("fr_FR"));
            QCOMPARE(QCoreApplication::translate("MainWindow", "Copy"), QStringLiteral("Copier"));

            // A failed switch keeps the translation in force.
            QVERIFY(!mgr.setLang(QStringLiteral("broken")));
            QCOMPARE(QCoreApplication::translate("MainWindow", "Copy"), QStringLiteral("Copier"));

            QVERIFY(mgr.setLang(QStringLiteral("en_US")));
            QCOMPARE(QCoreApplication::translate("MainWindow", "Copy"), copy);

            QVERIFY(mgr.setLang(QStringLiteral("fr_FR")));
            QCOMPARE(QCoreApplication::translate("MainWindow", "Copy"), QStringLiteral("Copier"));
        }
        // The manager takes its translator along when it goes.
        QCOMPARE(QCoreApplication::translate("MainWindow", "Copy"), copy);
    }

    void instanceIsClearedWithItsObject()
    {
        {
            xresourceMgr mgr;
            xresourceMgr::m_instance = &mgr;
            QCOMPARE(xresourceMgr::m_instance, &mgr);
        }
        QVERIFY(xresourceMgr::m_instance == nullptr);
    }
};

QTEST_MAIN(ResourcesTest)
#include "tst_resources.moc"
