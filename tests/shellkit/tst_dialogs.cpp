// The three message boxes: answered through the seam, and shown for real
// with the buttons pressed as a user would.
#include "xbackgroundFrame.h"
#include "xdialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using shellkit::DialogSeam;
using shellkit::ShownDialog;

class DialogsTest : public QObject
{
    Q_OBJECT

private:
    // Acts on the box that the next call opens, once it is the active modal
    // widget. A box that never comes is given up on after a few seconds, so
    // that a failing test does not hang.
    void whenBoxOpens(std::function<void(QMessageBox*)> act)
    {
        m_act = std::move(act);
        m_attempts = 0;
        m_poll.start(10);
    }

    void poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box->isVisible()) {
            m_poll.stop();
            m_seenBox = true;
            const auto act = std::move(m_act);
            m_act = nullptr;
            act(box);
            return;
        }
        if (++m_attempts > 500) {
            m_poll.stop();
            if (QWidget* w = QApplication::activeModalWidget())
                w->close();
        }
    }

    static QAbstractButton* buttonWithText(QMessageBox* box, const QString& text)
    {
        const QList<QAbstractButton*> buttons = box->buttons();
        for (QAbstractButton* b : buttons) {
            if (b->text().remove(QLatin1Char('&')).compare(text, Qt::CaseInsensitive) == 0)
                return b;
        }
        return nullptr;
    }

    bool m_seenBox = false;
    QTimer m_poll;
    std::function<void(QMessageBox*)> m_act;
    int m_attempts = 0;

private slots:
    void initTestCase() { connect(&m_poll, &QTimer::timeout, this, &DialogsTest::poll); }

    void init()
    {
        DialogSeam::reset();
        DialogSeam::deactivate();
        m_seenBox = false;
    }

    void cleanup()
    {
        DialogSeam::reset();
        DialogSeam::deactivate();
    }

    void seamAnswersInOrderAndRecordsEveryBox()
    {
        const auto windowsBefore = QApplication::topLevelWidgets().size();
        DialogSeam::activate();
        QVERIFY(DialogSeam::isActive());
        DialogSeam::pushAnswer(0);
        DialogSeam::pushAnswer(1);
        DialogSeam::pushAnswer(0);
        DialogSeam::pushAnswer(1);
        QCOMPARE(DialogSeam::pendingAnswers(), 4);

        QCOMPARE(infoDialogOK(nullptr, QStringLiteral("Information"), QStringLiteral("Backup done")), 0);
        QCOMPARE(infoDialogOKCancel(nullptr, QStringLiteral("Warning"), QStringLiteral("Delete?")), 1);
        QCOMPARE(yesNoDialog(nullptr, QStringLiteral("Warning"), QStringLiteral("Clear all?")), 0);
        QCOMPARE(yesNoDialog(nullptr, QStringLiteral("Warning"), QStringLiteral("Really?")), 1);

        QCOMPARE(DialogSeam::pendingAnswers(), 0);
        QCOMPARE(DialogSeam::unanswered(), 0);
        const QList<ShownDialog> shown = DialogSeam::shown();
        QCOMPARE(shown.size(), 4);
        QCOMPARE(shown[0].kind, ShownDialog::OK);
        QCOMPARE(shown[0].title, QStringLiteral("Information"));
        QCOMPARE(shown[0].text, QStringLiteral("Backup done"));
        QCOMPARE(shown[1].kind, ShownDialog::OKCancel);
        QCOMPARE(shown[1].text, QStringLiteral("Delete?"));
        QCOMPARE(shown[2].kind, ShownDialog::YesNo);
        QCOMPARE(shown[3].text, QStringLiteral("Really?"));
        // No window may have been made while the seam was on.
        QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
    }

    void seamConfirmsOnlyWithZero()
    {
        DialogSeam::activate();
        DialogSeam::pushAnswer(0);
        DialogSeam::pushAnswer(7);
        DialogSeam::pushAnswer(-1);
        QCOMPARE(infoDialogOKCancel(nullptr, QStringLiteral("Warning"), QStringLiteral("a")), 0);
        QCOMPARE(infoDialogOKCancel(nullptr, QStringLiteral("Warning"), QStringLiteral("b")), 1);
        QCOMPARE(yesNoDialog(nullptr, QStringLiteral("Warning"), QStringLiteral("c")), 1);
    }

    void infoBoxIsAlwaysZeroButTakesItsAnswer()
    {
        DialogSeam::activate();
        DialogSeam::pushAnswer(1);
        DialogSeam::pushAnswer(0);
        QCOMPARE(infoDialogOK(nullptr, QStringLiteral("Error"), QStringLiteral("x")), 0);
        // The OK box used the first answer; the second is left for the next box.
        QCOMPARE(DialogSeam::pendingAnswers(), 1);
        QCOMPARE(yesNoDialog(nullptr, QStringLiteral("Warning"), QStringLiteral("y")), 0);
    }

    void emptyQueueAnswersAsClosedAndCounts()
    {
        DialogSeam::activate();
        QCOMPARE(infoDialogOK(nullptr, QStringLiteral("Error"), QStringLiteral("e")), 0);
        QCOMPARE(infoDialogOKCancel(nullptr, QStringLiteral("Warning"), QStringLiteral("w")), 1);
        QCOMPARE(yesNoDialog(nullptr, QStringLiteral("Warning"), QStringLiteral("q")), 1);
        QCOMPARE(DialogSeam::unanswered(), 3);
        QCOMPARE(DialogSeam::shown().size(), 3);
    }

    void resetForgetsButKeepsTheSeamOn()
    {
        DialogSeam::activate();
        DialogSeam::pushAnswer(0);
        infoDialogOKCancel(nullptr, QStringLiteral("Warning"), QStringLiteral("w"));
        infoDialogOKCancel(nullptr, QStringLiteral("Warning"), QStringLiteral("w"));
        QCOMPARE(DialogSeam::unanswered(), 1);
        DialogSeam::pushAnswer(0);
        DialogSeam::reset();
        QVERIFY(DialogSeam::isActive());
        QCOMPARE(DialogSeam::pendingAnswers(), 0);
        QCOMPARE(DialogSeam::unanswered(), 0);
        QVERIFY(DialogSeam::shown().isEmpty());
    }

    // With the seam off the box really opens, modal, in the shell's look.
    void realBoxes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("press"); // button text, or "Escape"
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("buttonCount");

        QTest::newRow("ok") << int(ShownDialog::OK) << "OK" << 0 << 1;
        QTest::newRow("ok escape") << int(ShownDialog::OK) << "Escape" << 0 << 1;
        QTest::newRow("okcancel ok") << int(ShownDialog::OKCancel) << "OK" << 0 << 2;
        QTest::newRow("okcancel cancel") << int(ShownDialog::OKCancel) << "Cancel" << 1 << 2;
        QTest::newRow("okcancel escape") << int(ShownDialog::OKCancel) << "Escape" << 1 << 2;
        QTest::newRow("yesno yes") << int(ShownDialog::YesNo) << "Yes" << 0 << 2;
        QTest::newRow("yesno no") << int(ShownDialog::YesNo) << "No" << 1 << 2;
        QTest::newRow("yesno escape") << int(ShownDialog::YesNo) << "Escape" << 1 << 2;
    }

    void realBoxes()
    {
        QFETCH(int, kind);
        QFETCH(QString, press);
        QFETCH(int, expected);
        QFETCH(int, buttonCount);

        QString seenTitle;
        QString seenText;
        int seenButtons = -1;
        bool hasBackground = false;
        Qt::WindowFlags seenFlags;
        whenBoxOpens([&](QMessageBox* box) {
            seenTitle = box->windowTitle();
            seenText = box->text();
            seenButtons = static_cast<int>(box->buttons().size());
            seenFlags = box->windowFlags();
            hasBackground = box->findChild<xbackgroundFrame*>() != nullptr;
            if (press == QLatin1String("Escape")) {
                QTest::keyClick(box, Qt::Key_Escape);
            } else if (QAbstractButton* b = buttonWithText(box, press)) {
                QTest::mouseClick(b, Qt::LeftButton);
            } else {
                box->close();
            }
        });

        const QString title = kind == ShownDialog::OK ? QStringLiteral("Information") : QStringLiteral("Warning");
        const QString text = QStringLiteral("Line one\nline two");
        int result = -1;
        switch (kind) {
        case ShownDialog::OK:
            result = infoDialogOK(nullptr, title, text);
            break;
        case ShownDialog::OKCancel:
            result = infoDialogOKCancel(nullptr, title, text);
            break;
        default:
            result = yesNoDialog(nullptr, title, text);
            break;
        }

        QVERIFY(m_seenBox);
        QCOMPARE(result, expected);
        QCOMPARE(seenTitle, title);
        QCOMPARE(seenText, text);
        QCOMPARE(seenButtons, buttonCount);
        QVERIFY(hasBackground);
        QVERIFY(seenFlags.testFlag(Qt::FramelessWindowHint));
    }

    void realBoxOverAParentStaysModalToIt()
    {
        QWidget parent;
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QWidget* seenParent = nullptr;
        whenBoxOpens([&](QMessageBox* box) {
            seenParent = box->parentWidget();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QCOMPARE(infoDialogOK(&parent, QStringLiteral("Error"), QStringLiteral("Cannot open the file.")), 0);
        QCOMPARE(seenParent, &parent);
    }
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
