#pragma once

// Answers the program's own modal dialogs from a queued call, the way a user
// would: the call runs once the dialog's event loop has started.

#include <QApplication>
#include <QFileDialog>
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

} // namespace driver
