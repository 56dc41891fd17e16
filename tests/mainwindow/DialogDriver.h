#pragma once

// Answers the program's own modal dialogs from a queued call, the way a user
// would: the call runs once the dialog's event loop has started.

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace driver {

// Runs check on the next modal widget, as soon as it is up.
inline void onNextModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY2(modal, "no modal dialog came up");
        act(modal);
    });
}

// Answers the next file dialog with fileName; an empty name cancels it.
// Title and filter are recorded for the caller to check.
inline void answerFileDialog(const QString& fileName, QString* title = nullptr, QString* filters = nullptr)
{
    onNextModal([=](QWidget* modal) {
        auto* files = qobject_cast<QFileDialog*>(modal);
        QVERIFY2(files, "the modal dialog is no file dialog");
        if (title)
            *title = files->windowTitle();
        if (filters)
            *filters = files->nameFilters().join(QLatin1Char(';'));
        QDialog* dialog = files;
        if (fileName.isEmpty()) {
            dialog->reject();
        } else {
            files->selectFile(fileName);
            dialog->accept();
        }
    });
}

// Presses a button of the next modal dialog (the save dialog's OK is "pushButton_2").
inline void pressInNextModal(const QString& buttonName, std::function<void(QWidget*)> before = {})
{
    onNextModal([=](QWidget* modal) {
        if (before)
            before(modal);
        auto* button = modal->findChild<QPushButton*>(buttonName);
        QVERIFY2(button, qPrintable(buttonName));
        QTest::mouseClick(button, Qt::LeftButton);
    });
}

// Acts on the first modal widget that test() accepts, as soon as one is up
// (dialogs that open one after another, each from the one before). Returns
// the poller, which the caller may delete to stop waiting.
inline QTimer* whenModal(std::function<bool(QWidget*)> test, std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, test, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || !test(modal))
            return;
        timer->stop();
        timer->deleteLater();
        act(modal);
    });
    timer->start();
    return timer;
}

// Presses the named button of a modal widget.
inline void click(QWidget* modal, const QString& button)
{
    auto* b = modal->findChild<QPushButton*>(button);
    if (b)
        QTest::mouseClick(b, Qt::LeftButton);
    else
        QTest::qFail(qPrintable(QStringLiteral("no button ") + button), __FILE__, __LINE__);
}

inline bool isPasswordDialog(QWidget* modal)
{
    return modal->findChild<QLineEdit*>(QStringLiteral("passwordEdit")) != nullptr;
}

// Answers the next password dialogs with the passwords in turn; each wrong
// one's message is recorded. An empty password presses Cancel.
inline void answerPasswords(QStringList passwords, QStringList* messages)
{
    if (passwords.isEmpty())
        return;
    whenModal(isPasswordDialog, [=](QWidget* modal) {
        auto* field = modal->findChild<QLineEdit*>(QStringLiteral("passwordEdit"));
        auto* message = modal->findChild<QLabel*>(QStringLiteral("messageLabel"));
        const QString password = passwords.first();
        if (password.isEmpty()) {
            click(modal, QStringLiteral("cancelButton"));
            return;
        }
        field->setText(password);
        click(modal, QStringLiteral("okButton"));
        const QStringList rest = passwords.mid(1);
        if (rest.isEmpty())
            return;
        // The dialog asks again once it has said that the password is wrong.
        whenModal([field](QWidget* m) { return isPasswordDialog(m) && field->isEnabled() && field->text().isEmpty(); },
                  [=](QWidget*) {
                      messages->append(message->text());
                      answerPasswords(rest, messages);
                  });
    });
}

} // namespace driver
