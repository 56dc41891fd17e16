#pragma once

// What the view tests read: a backup file built by the fixture helper, opened
// the way the main window opens one (messages, backup contacts, names,
// conversation list), and the default skin so that looks by object name are
// in force.

#include "ContactStore.h"
#include "Fixtures.h"
#include "MessageStore.h"
#include "xresourceMgr.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

namespace viewstest {

struct Source
{
    explicit Source(const QList<fixtures::Msg>& msgs, const QList<QPair<QVariant, QVariant>>& contacts = {},
                    const QString& name = QStringLiteral("source.sms"))
    {
        path = dir.filePath(name);
        fixtures::makeBackupFile(path, msgs, contacts);
        open();
    }

    void open()
    {
        const QByteArray p = path.toUtf8();
        store = std::make_unique<MessageStore>(p);
        ContactStore people(p);
        people.readBackupAddressBook(p);
        fillContactNames(*store, people);
        store->buildConversationList();
    }

    int rowsFor(const QString& address) const
    {
        const QStringList n =
            fixtures::column(path, QStringLiteral("select count(*) from message where address='%1'").arg(address));
        return n.isEmpty() ? -1 : n.first().toInt();
    }

    int allRows() const
    {
        const QStringList n = fixtures::column(path, QStringLiteral("select count(*) from message"));
        return n.isEmpty() ? -1 : n.first().toInt();
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<MessageStore> store;
};

inline fixtures::Msg msg(int rowId, const QString& address, int date, const QString& text, bool incoming)
{
    return {rowId, address, date, text, incoming ? 2 : 3};
}

inline void applySkin()
{
    static xresourceMgr* mgr = nullptr;
    if (!mgr) {
        mgr = new xresourceMgr(qApp);
        static const char* const skins[] = {"default", nullptr};
        mgr->registerSkin(skins);
        mgr->setSkin(QStringLiteral("default"));
    }
}

// Widgets of type T under root in the order a user reads them: top to bottom.
template <typename T> QList<T*> visibleTopDown(QWidget* root)
{
    QList<T*> found;
    for (T* w : root->findChildren<T*>())
        if (w->isVisibleTo(root))
            found.append(w);
    std::sort(found.begin(), found.end(),
              [root](T* a, T* b) { return a->mapTo(root, QPoint()).y() < b->mapTo(root, QPoint()).y(); });
    return found;
}

} // namespace viewstest
