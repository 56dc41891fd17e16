#pragma once

// Messages of one source (the phone's message database or a backup file):
// every message, the selected conversation and the conversation list. The
// store keeps its SQLite connection open for deletes until closed.

#include "MessageRecord.h"

#include <QVector>

struct sqlite3;

class MessageStore
{
public:
    // openAndRead: creates the empty arrays and reads the file at path
    // (UTF-8). A path that does not exist reads as empty and is not created.
    explicit MessageStore(const QByteArray& path);
    ~MessageStore();

    MessageStore(const MessageStore&) = delete;
    MessageStore& operator=(const MessageStore&) = delete;

    // Empties messages (not the derived arrays), opens path and reads every
    // row of the message table. The caller closes any earlier connection.
    void reload(const QByteArray& path);
    // Closes the connection; an already closed store does nothing (SQLITE_OK).
    int close();
    bool isOpen() const { return m_db != nullptr; }

    // 0 on success, else the SQLite result code. A record leaves messages
    // only when its statement succeeded.
    int deleteMessage(int rowId);
    void deleteConversation(const QByteArray& address);
    // Deletes the given rows, in order, in one transaction: each as
    // deleteMessage would, but a failure is reported once. Returns 0, or the
    // first failure's SQLite result code.
    int deleteMessages(const QVector<int>& rowIds);
    void selectConversation(const QByteArray& address);
    void buildConversationList();

    // A store on the phone's own databases refuses to delete (SQLITE_READONLY).
    void setDeletesAllowed(bool allowed) { m_deletesAllowed = allowed; }
    bool deletesAllowed() const { return m_deletesAllowed; }

    QVector<MessageRecord> messages;
    QVector<MessageRecord> conversation;
    QVector<MessageRecord> conversationHeads;
    int messageCount = 0;
    int columnCount = 0;

private:
    friend void closeLastMessageDatabase();
    void openAndRead(const QByteArray& path);

    sqlite3* m_db = nullptr;
    bool m_deletesAllowed = true;
};

// Bit 0 of this value is what the SQL function "read" answers; deleteMessage
// sets it to 2 before deleting an incoming message and to 3 otherwise.
extern int lastDeletedFlags;

// The connection most recently opened by a MessageStore, or null once closed.
sqlite3* lastMessageDatabase();
// Closes that connection when it is still open, through the store that owns
// it, so that the store does not close it a second time.
void closeLastMessageDatabase();

// Called when a delete statement fails, with the translated title "Error" and
// text "Delete Error". The default writes them to standard error; the GUI
// installs a handler that shows the message box.
using DeleteErrorHandler = void (*)(const QString& title, const QString& text);
void setDeleteErrorHandler(DeleteErrorHandler handler);
