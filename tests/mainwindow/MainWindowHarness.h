#pragma once

// Shared set-up of the main window tests: a throw-away HOME with a backup
// folder of fixture ".sms" files, the window built on it, and lookups of its
// widgets by object name. Every message box is answered through the seam.

#include "Fixtures.h"
#include "MainWindow.h"
#include "xdialogs.h"
#include "xplatform.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace harness {

// Message times 1000..4000 s after the epoch read as 08:16:40 .. 09:06:40 in
// the tests' fixed time zone (UTC+8).
inline QList<fixtures::Msg> mainMessages()
{
    return {
        {1, QStringLiteral("10086"), 1000, QStringLiteral("hello"), 2},
        {2, QStringLiteral("138-0000-1111"), 2000, QStringLiteral("are you there?"), 2},
        {3, QStringLiteral("10086"), 3000, QStringLiteral("yes"), 3},
        {4, QStringLiteral("13800001111"), 4000, QStringLiteral("你好 😀"), 2},
    };
}

inline QList<QPair<QVariant, QVariant>> mainContacts()
{
    return {{QStringLiteral("Anna Lee"), QStringLiteral("13800001111")},
            {QStringLiteral("Pat O'Neil"), QStringLiteral("10086")}};
}

// Names of the fixture backups, in the order the window must list them.
inline QStringList backupNames()
{
    return {QStringLiteral("2010.05.01.12.30.45.sms"), QStringLiteral("2010.06.12.08.01.02.sms"),
            QStringLiteral("archive.sms"), QStringLiteral("Beta.sms")};
}

inline QString backupFolder()
{
    return QDir::homePath() + QStringLiteral("/Documents/smsbackup");
}

inline QString backupPath(int index)
{
    return backupFolder() + QLatin1Char('/') + backupNames().at(index);
}

// Fills a fresh backup folder: four backups (written out of order) and two
// entries that must not be listed.
inline void seedBackupFolder()
{
    QDir(backupFolder()).removeRecursively();
    QVERIFY(QDir().mkpath(backupFolder()));
    fixtures::makeBackupFile(backupPath(3), {{1, QStringLiteral("777"), 7000, QStringLiteral("beta"), 2}}, {});
    fixtures::makeBackupFile(backupPath(1), {{1, QStringLiteral("5551234"), 5000, QStringLiteral("Meeting moved"), 2}},
                             {{QStringLiteral("Bob"), QStringLiteral("5551234")}});
    fixtures::makeBackupFile(backupPath(2), {{1, QStringLiteral("10010"), 6000, QStringLiteral("Welcome"), 2}}, {});
    fixtures::makeBackupFile(backupPath(0), mainMessages(), mainContacts());
    QFile notes(backupFolder() + QStringLiteral("/notes.txt"));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    QVERIFY(QDir(backupFolder()).mkdir(QStringLiteral("folder.sms")));
}

// Points HOME at a temporary folder for the whole test program; call first in main().
inline std::unique_ptr<QTemporaryDir> useTemporaryHome()
{
    auto home = std::make_unique<QTemporaryDir>();
    qputenv("HOME", home->path().toUtf8());
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DOCUMENTS_DIR");
    return home;
}

struct Window
{
    Window()
    {
        w = std::make_unique<MainWindow>();
        w->show();
    }

    QListWidget* list() const { return w->findChild<QListWidget*>(QStringLiteral("listWidget")); }
    QStackedWidget* stack() const { return w->findChild<QStackedWidget*>(QStringLiteral("verticalStackedWidget")); }
    QWidget* listPage() const { return w->findChild<QWidget*>(QStringLiteral("frame_page1")); }
    QWidget* chatPage() const { return w->findChild<QWidget*>(QStringLiteral("frame_page2")); }
    int page() const { return stack()->currentIndex(); }

    QStringList rowTexts() const
    {
        QStringList texts;
        for (int i = 0; i < list()->count(); ++i)
            texts << list()->item(i)->text();
        return texts;
    }

    // Visible conversation rows of the list page, top to bottom.
    QList<QWidget*> conversationRows() const
    {
        QList<QWidget*> rows;
        const auto frames = listPage()->findChildren<QFrame*>();
        for (QFrame* f : frames) {
            if (f->inherits("messageframe") && f->isVisible())
                rows << f;
        }
        std::sort(rows.begin(), rows.end(), [this](QWidget* a, QWidget* b) {
            return a->mapTo(w.get(), QPoint()).y() < b->mapTo(w.get(), QPoint()).y();
        });
        return rows;
    }

    // Names shown by the conversation rows, top to bottom.
    QStringList conversationNames() const
    {
        QStringList names;
        const auto rows = conversationRows();
        for (QWidget* row : rows)
            names << row->findChild<QLabel*>(QStringLiteral("label"))->text().trimmed();
        return names;
    }

    // Texts of the visible message bubbles of the chat page, sorted.
    QStringList bubbleTexts() const
    {
        QStringList texts;
        const auto labels = chatPage()->findChildren<QLabel*>();
        for (QLabel* l : labels) {
            if ((l->objectName() == QLatin1String("specialButton") ||
                 l->objectName() == QLatin1String("specialButton1")) &&
                l->isVisible())
                texts << l->text();
        }
        texts.sort();
        return texts;
    }

    void openConversation(int index)
    {
        const auto rows = conversationRows();
        QVERIFY(index < rows.size());
        QTest::mouseClick(rows.at(index), Qt::LeftButton, {}, QPoint(40, 10));
        QTRY_COMPARE(page(), 2);
    }

    std::unique_ptr<MainWindow> w;
};

// Turns the dialog seam on and clears it; call from init().
inline void resetSeams()
{
    shellkit::DialogSeam::activate();
    shellkit::DialogSeam::reset();
}

inline QStringList shownTexts()
{
    QStringList texts;
    const auto shown = shellkit::DialogSeam::shown();
    for (const auto& d : shown)
        texts << d.title + QStringLiteral(": ") + d.text;
    return texts;
}

} // namespace harness
