#pragma once

// The window's side of the text export: which lines the source on display
// gives, and the save dialog that asks where they go. The format itself is
// textexport's (TextExport.h).

#include <QString>
#include <QStringList>

#include <functional>

class MessageStore;
class QFrame;

class TextExporter
{
public:
    enum class Shown { Nothing, ConversationList, Conversation };

    // Writes every conversation of the list, latest first, or the open
    // conversation to the file at path, one message at a time (a million
    // messages never stand in memory at once), replacing the file; an empty
    // file when nothing is shown. After the list, the store's conversation
    // is the last one written. False when the file cannot be written
    // completely.
    static bool writeWholeExport(MessageStore* store, Shown shown, const QString& path);
    // The message a bubble of the chat page shows; no lines when it is
    // none of the open conversation's.
    static QStringList bubbleLines(MessageStore* store, QFrame* bubble);

    // Runs the save dialog with the default export path in folder. The
    // dialog's OK calls write with the path, which writes the file before
    // the dialog closes and returns whether it was written completely; the
    // user is told when it was not, and the file is opened when asked for.
    static void runSaveDialog(const QString& folder, const std::function<bool(const QString&)>& write);
};
