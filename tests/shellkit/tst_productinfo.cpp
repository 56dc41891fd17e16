// The product record kept by shellkit.
#include "xproductInfo.h"

#include <QTest>
#include <QWidget>

class ProductInfoTest : public QObject
{
    Q_OBJECT

private slots:
    void productNameFallsBackInOrder_data()
    {
        QTest::addColumn<QString>("appName");
        QTest::addColumn<QString>("fullName");
        QTest::addColumn<QString>("brand");
        QTest::addColumn<QString>("expected");
        QTest::newRow("app name") << "Varnel Textkeep"
                                  << "Varnel Handset Textkeep"
                                  << "Varnel"
                                  << "Varnel Textkeep";
        QTest::newRow("full name") << ""
                                   << "Lumen Converter"
                                   << ""
                                   << "Lumen Converter";
        QTest::newRow("brand") << ""
                               << ""
                               << "Varnel"
                               << "Varnel";
        QTest::newRow("nothing") << ""
                                 << ""
                                 << ""
                                 << "";
    }

    void productNameFallsBackInOrder()
    {
        QFETCH(QString, appName);
        QFETCH(QString, fullName);
        QFETCH(QString, brand);
        QFETCH(QString, expected);
        _AppInfo info;
        info.appName = appName;
        info.appFullName = fullName;
        info.brandName = brand;
        xproductInfo product;
        product.setCurAppInfo(info);
        QCOMPARE(product.productName(), expected);
    }

    void keepsACopyOfTheRecord()
    {
        _AppInfo info;
        info.appCode = QStringLiteral("txk-desk");
        info.version = QStringLiteral("1.2.12");
        xproductInfo product;
        product.setCurAppInfo(info);
        info.appCode = QStringLiteral("changed");
        QCOMPARE(product.curAppInfo().appCode, QStringLiteral("txk-desk"));
        QCOMPARE(product.curAppInfo().version, QStringLiteral("1.2.12"));
        QVERIFY(product.curAppInfo().helpFile.isEmpty());
    }

    void iconFileIsTheLastOneSet()
    {
        xproductInfo product;
        QVERIFY(product.iconFile().isEmpty());
        product.setIconFile(QStringLiteral(":/icon/a.png"));
        product.setIconFile(QStringLiteral(":/icon/b.png"));
        QCOMPARE(product.iconFile(), QStringLiteral(":/icon/b.png"));
    }

    void mainWindowIsForgottenWhenDestroyed()
    {
        xproductInfo product;
        auto* window = new QWidget;
        product.setMainWindow(window);
        QCOMPARE(product.mainWindow(), window);
        delete window;
        QVERIFY(product.mainWindow() == nullptr);
    }

    void instanceIsClearedWithItsObject()
    {
        QVERIFY(xproductInfo::m_instance == nullptr);
        {
            xproductInfo product;
            xproductInfo::m_instance = &product;
        }
        QVERIFY(xproductInfo::m_instance == nullptr);
    }
};

QTEST_MAIN(ProductInfoTest)
#include "tst_productinfo.moc"
