#pragma once

// What an export writes: the format, which conversations and messages, and
// whether the attachments go with it. Shared by the window's Export dialog
// and `msgdesk-cli export`.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace exporting {

enum class Format { Txt, Html, Pdf, Csv, Json };

// "txt", "html", "pdf", "csv", "json": the names the command line takes.
QString formatName(Format format);
std::optional<Format> formatFromName(const QString& name);
QStringList formatNames();
// ".txt", ".pdf", ...; empty for html, which writes a folder.
QString extension(Format format);
bool writesFolder(Format format);
// Whether the format can carry the attachments' content (html, pdf).
bool carriesAttachments(Format format);

struct Selection
{
    enum class Scope {
        AllConversations, // every conversation, in the conversation list's order
        OneConversation,  // the conversation `conversation`
        Messages,         // the messages `rowIds` of the conversation `conversation`
    };
    Scope scope = Scope::AllConversations;
    QByteArray conversation;
    QVector<qint64> rowIds;
    // Days in local time, both included; a null date leaves that end open.
    QDate from;
    QDate to;
};

struct Options
{
    Format format = Format::Txt;
    Selection selection;
    // html and pdf only: pictures inline, other files copied (html) or named.
    bool includeAttachments = false;
};

} // namespace exporting
