// The two container templates: a window hosted in the skinned frame, and a
// dialog drawn over the background frame.
#include "xbackgroundFrame.h"
#include "xdialogContainer.h"
#include "xframeContainer.h"
#include "xframeskin.h"
#include "xproductInfo.h"

#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QResizeEvent>
#include <QTemporaryDir>
#include <QTest>

namespace {

class Window : public QMainWindow
{
public:
    explicit Window(QWidget* parent = nullptr) : QMainWindow(parent) { setMinimumSize(677, 471); }
};

} // namespace

class ContainersTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_iconFile;
    QString m_otherIcon;
    std::unique_ptr<xproductInfo> m_product;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::blue);
        m_iconFile = m_dir.filePath(QStringLiteral("product.png"));
        QVERIFY(pixmap.save(m_iconFile));
        pixmap.fill(Qt::yellow);
        m_otherIcon = m_dir.filePath(QStringLiteral("other.png"));
        QVERIFY(pixmap.save(m_otherIcon));
    }

    void init()
    {
        m_product = std::make_unique<xproductInfo>();
        _AppInfo info;
        info.appName = QStringLiteral("Varnel Textkeep");
        m_product->setCurAppInfo(info);
        xproductInfo::m_instance = m_product.get();
    }

    void cleanup() { m_product.reset(); }

    void frameContainerLivesInsideItsFrame()
    {
        auto* window = new xframeContainer<Window, xframeskin>(nullptr);
        std::unique_ptr<xframeskin> frame(window->frame());
        QVERIFY(frame);
        QCOMPARE(window->parentWidget(), frame.get());
        QCOMPARE(frame->child(), window);
        QVERIFY(!window->isWindow());
        QVERIFY(frame->isWindow());
        QVERIFY(frame->parentWidget() == nullptr);
    }

    void showShowsTheFrame()
    {
        auto* window = new xframeContainer<Window, xframeskin>(nullptr);
        std::unique_ptr<xframeskin> frame(window->frame());
        window->setWindowTitle(m_product->productName());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        QVERIFY(frame->isVisible());
        QVERIFY(window->isVisible());
        QCOMPARE(frame->windowTitle(), QStringLiteral("Varnel Textkeep"));
        // The frame is at least as large as the window needs.
        QVERIFY(window->width() >= 677);
        QVERIFY(window->height() >= 471);
    }

    void objectNameGoesToTheFrame()
    {
        auto* window = new xframeContainer<Window, xframeskin>(nullptr);
        std::unique_ptr<xframeskin> frame(window->frame());
        window->setObjectName(QStringLiteral("dialogFrame"));
        QCOMPARE(frame->objectName(), QStringLiteral("dialogFrame"));
        QVERIFY(static_cast<QObject*>(window)->objectName() != QStringLiteral("dialogFrame"));
    }

    void windowIconSetsFrameAndProduct()
    {
        auto* window = new xframeContainer<Window, xframeskin>(nullptr);
        std::unique_ptr<xframeskin> frame(window->frame());
        QVERIFY(frame->iconFile().isEmpty());
        window->setWindowIcon(m_iconFile);
        QCOMPARE(frame->iconFile(), m_iconFile);
        QCOMPARE(m_product->iconFile(), m_iconFile);
        QVERIFY(!frame->windowIcon().isNull());
    }

    void productIconAppliedOnConstruction()
    {
        m_product->setIconFile(m_otherIcon);
        auto* window = new xframeContainer<Window, xframeskin>(nullptr);
        std::unique_ptr<xframeskin> frame(window->frame());
        QCOMPARE(frame->iconFile(), m_otherIcon);
        QCOMPARE(m_product->iconFile(), m_otherIcon);
    }

    void deletingTheWindowKeepsTheFrame()
    {
        auto* window = new xframeContainer<Window, xframeskin>(nullptr);
        std::unique_ptr<xframeskin> frame(window->frame());
        delete window;
        QVERIFY(frame->child() == nullptr);
        QVERIFY(frame->findChildren<Window*>().isEmpty());
    }

    void dialogContainerIsFramelessAndTranslucent()
    {
        m_product->setIconFile(m_iconFile);
        xdialogContainer<QDialog, xbackgroundFrame> dialog;
        QCOMPARE(int(dialog.windowFlags()), 0x2801);
        QVERIFY(dialog.testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(dialog.frame());
        QCOMPARE(dialog.frame()->parentWidget(), &dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Varnel Textkeep"));
        QVERIFY(dialog.minimumWidth() >= 400);
        QVERIFY(dialog.minimumHeight() >= 300);
        QVERIFY(!dialog.windowIcon().isNull());
        // Content starts below the title bar the frame draws.
        QVERIFY(dialog.contentsMargins().top() >= xbackgroundFrame::titleBarHeight());
        QCOMPARE(dialog.contentsMargins().left(), 10);
    }

    void dialogContainerWithoutProductKeepsItsTitle()
    {
        xproductInfo::m_instance = nullptr;
        xdialogContainer<QDialog, xbackgroundFrame> dialog;
        QVERIFY(dialog.windowTitle().isEmpty());
        QVERIFY(dialog.windowIcon().isNull() ||
                dialog.windowIcon().cacheKey() == QApplication::windowIcon().cacheKey());
    }

    void dialogFrameFollowsResizeAndActivation()
    {
        xdialogContainer<QDialog, xbackgroundFrame> dialog;
        dialog.resize(520, 360);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTRY_COMPARE(dialog.frame()->geometry(), dialog.rect());
        dialog.resize(600, 420);
        QTRY_COMPARE(dialog.frame()->size(), QSize(600, 420));

        // Activation changes reach the frame's title bar.
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(!dialog.isActiveWindow());
        QTRY_VERIFY(!dialog.frame()->isTitleBarActive());
        dialog.activateWindow();
        QTRY_VERIFY(dialog.isActiveWindow());
        QTRY_VERIFY(dialog.frame()->isTitleBarActive());
    }

    void messageBoxInTheContainer()
    {
        xdialogContainer<QMessageBox, xbackgroundFrame> box;
        box.setText(QStringLiteral("Download error"));
        box.setWindowTitle(QStringLiteral("Error"));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        // The box's own widgets stay above the background frame.
        auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        QVERIFY(label->isVisible());
        QCOMPARE(box.childAt(label->geometry().center()), label);
        QTRY_COMPARE(box.frame()->size(), box.size());
        box.close();
    }
};

QTEST_MAIN(ContainersTest)
#include "tst_containers.moc"
