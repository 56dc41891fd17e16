// Message bubbles: their states, their looks by object name and how they
// report clicks.

#include "Frame.h"
#include "Frame1.h"
#include "ViewsTestSource.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

class BubblesTest : public QObject
{
    Q_OBJECT

private:
    template <typename B> void checkStates();
    template <typename B> void checkClicks(const char* labelName);

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QLabel*>();
        viewstest::applySkin();
    }

    void statesIncoming() { checkStates<Frame>(); }
    void statesOutgoing() { checkStates<Frame1>(); }
    void clicksIncoming() { checkClicks<Frame>("specialButton"); }
    void clicksOutgoing() { checkClicks<Frame1>("specialButton1"); }
    void longTextWrapsAndShortTextStaysShort();
    void languageChangeKeepsTheMessage();
};

template <typename B> void BubblesTest::checkStates()
{
    B bubble;
    bubble.setMessageText(QStringLiteral("hello"));
    bubble.resize(400, 60);
    bubble.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bubble));

    QCOMPARE(bubble.objectName(), QStringLiteral("itemFrame2222"));
    auto* select = bubble.template findChild<QToolButton*>(QStringLiteral("itemFrame2222"));
    QVERIFY(select);
    auto* copy = bubble.template findChild<QToolButton*>(QStringLiteral("pushButton_copyOne"));
    QVERIFY(copy);
    // A new bubble: neither button, nothing selected.
    QVERIFY(!select->isVisible());
    QVERIFY(!copy->isVisible());
    QVERIFY(!bubble.isSelected());

    bubble.setEditMode(true);
    QVERIFY(select->isVisible());
    const QImage unselectedLook = select->grab().toImage();

    bubble.toggleSelected();
    QVERIFY(bubble.isSelected());
    QCOMPARE(select->objectName(), QStringLiteral("itemFrame1111"));
    // The skin's rule for the new name must be in force, not just the name.
    QVERIFY(select->grab().toImage() != unselectedLook);

    bubble.toggleSelected();
    QVERIFY(!bubble.isSelected());
    QCOMPARE(select->objectName(), QStringLiteral("itemFrame2222"));
    QCOMPARE(select->grab().toImage(), unselectedLook);

    // Entering edit mode again clears a selection and keeps the button shown.
    bubble.toggleSelected();
    bubble.setEditMode(true);
    QVERIFY(!bubble.isSelected());
    QCOMPARE(select->objectName(), QStringLiteral("itemFrame2222"));
    QVERIFY(select->isVisible());

    bubble.setEditMode(false);
    QVERIFY(!select->isVisible());

    bubble.setCopyButtonVisible(true);
    QVERIFY(copy->isVisible());
    bubble.setCopyButtonVisible(false);
    QVERIFY(!copy->isVisible());
}

template <typename B> void BubblesTest::checkClicks(const char* labelName)
{
    B bubble;
    bubble.setMessageText(QStringLiteral("a message"));
    bubble.setRowId(42);
    bubble.resize(400, 60);
    bubble.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bubble));
    auto* label = bubble.template findChild<QLabel*>(QString::fromLatin1(labelName));
    QVERIFY(label);

    QSignalSpy clicks(&bubble, &B::sendIsclick);
    QSignalSpy copies(&bubble, &B::sendCopyOneMessage);

    // One click on the text is one report, carrying the bubble and its label.
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.at(0).at(0).template value<B*>(), &bubble);
    QCOMPARE(clicks.at(0).at(1).template value<QLabel*>(), label);

    // A press alone on the text reports at once.
    QTest::mousePress(label, Qt::LeftButton);
    QCOMPARE(clicks.count(), 2);
    QTest::mouseRelease(label, Qt::LeftButton);
    QCOMPARE(clicks.count(), 2);

    // A click on the bubble beside the text reports on release.
    const QPoint beside = bubble.width() > label->geometry().right() + 10
                              ? QPoint(label->geometry().right() + 5, bubble.height() / 2)
                              : QPoint(label->geometry().left() - 5, bubble.height() / 2);
    QVERIFY(!label->geometry().contains(beside));
    QTest::mousePress(&bubble, Qt::LeftButton, {}, beside);
    QCOMPARE(clicks.count(), 2);
    QTest::mouseRelease(&bubble, Qt::LeftButton, {}, beside);
    QCOMPARE(clicks.count(), 3);

    // The select button reports once per click.
    bubble.setEditMode(true);
    auto* select = bubble.template findChild<QToolButton*>(QStringLiteral("itemFrame2222"));
    QTest::mouseClick(select, Qt::LeftButton);
    QCOMPARE(clicks.count(), 4);

    bubble.setCopyButtonVisible(true);
    QTest::mouseClick(bubble.template findChild<QToolButton*>(QStringLiteral("pushButton_copyOne")), Qt::LeftButton);
    QCOMPARE(copies.count(), 1);
    QCOMPARE(copies.at(0).at(0).template value<QFrame*>(), static_cast<QFrame*>(&bubble));
    QCOMPARE(clicks.count(), 4);
    QCOMPARE(bubble.rowId(), 42);
}

void BubblesTest::longTextWrapsAndShortTextStaysShort()
{
    QWidget host;
    host.resize(420, 600);
    auto* layout = new QVBoxLayout(&host);
    auto* shortOne = new Frame(&host);
    shortOne->setMessageText(QStringLiteral("ok"));
    auto* longOne = new Frame1(&host);
    const QString longText =
        QStringLiteral("This is a long message that has to wrap inside its bubble because it is much "
                       "wider than the page it is shown on.\nIt also has a second line.\n\nAnd a "
                       "fourth after an empty one.");
    longOne->setMessageText(longText);
    auto* emptyOne = new Frame(&host);
    emptyOne->setMessageText(QString());
    layout->addWidget(shortOne);
    layout->addWidget(longOne);
    layout->addWidget(emptyOne);
    layout->addStretch();
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));

    auto* shortLabel = shortOne->findChild<QLabel*>(QStringLiteral("specialButton"));
    auto* longLabel = longOne->findChild<QLabel*>(QStringLiteral("specialButton1"));
    auto* emptyLabel = emptyOne->findChild<QLabel*>(QStringLiteral("specialButton"));
    QCOMPARE(longLabel->text(), longText);
    QVERIFY(emptyLabel->text().isEmpty());

    // The long text stays inside the page and is as tall as its wrapped lines.
    QVERIFY(longLabel->mapTo(&host, QPoint(longLabel->width(), 0)).x() <= host.width());
    const int lineHeight = longLabel->fontMetrics().lineSpacing();
    QVERIFY2(longLabel->height() >= 5 * lineHeight, qPrintable(QString::number(longLabel->height())));
    QVERIFY(longLabel->height() >= longLabel->heightForWidth(longLabel->width()));
    // A short message gets a short bubble.
    QVERIFY2(shortLabel->width() < host.width() / 3, qPrintable(QString::number(shortLabel->width())));
    // The sent message is drawn against the right edge, the received one against the left.
    QVERIFY(longLabel->mapTo(&host, QPoint(longLabel->width(), 0)).x() > host.width() - 40);
    QVERIFY(shortLabel->mapTo(&host, QPoint()).x() < 60);
}

void BubblesTest::languageChangeKeepsTheMessage()
{
    Frame1 bubble;
    bubble.setMessageText(QStringLiteral("keep me"));
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(&bubble, &change);
    QCOMPARE(bubble.messageText(), QStringLiteral("keep me"));
    QCOMPARE(bubble.findChild<QToolButton*>(QStringLiteral("pushButton_copyOne"))->text(), QStringLiteral("Copy"));
}

QTEST_MAIN(BubblesTest)
#include "tst_bubbles.moc"
