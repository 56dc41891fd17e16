#pragma once

// The one interface every export format implements: it is handed the
// chosen conversations one at a time and writes them to its target. What
// all formats share (the walk, the target, progress and cancel) is done
// once around it (Export.h), so adding a format is adding a writer.

#include "ExportOptions.h"
#include "ExportWalk.h"

#include <QString>

#include <functional>

class AttachmentFiles;
class QIODevice;

namespace exporting {

class FormatWriter
{
public:
    // What a writer may use while it writes; set before begin().
    struct Context
    {
        ExportWalk* walk = nullptr;
        // Where the attachments' content lies, for formats that carry it; null
        // when they are not included or the source has none.
        AttachmentFiles* files = nullptr;
        // Whether an attachment is in the source, for formats that name
        // attachments without carrying them: set whenever the source has
        // content, whether or not the attachments go with the export.
        // Asked isPresent() only.
        AttachmentFiles* presence = nullptr;
        Options options;
        // To be called after each message written; false once the user cancelled.
        std::function<bool()> step;
    };

    virtual ~FormatWriter() = default;

    void setContext(const Context& context) { m_context = context; }

    // A one-file format writes to file (opened for writing, buffered by the
    // caller where needed); html fills folder, an empty folder it owns.
    // False with *why when it cannot start.
    virtual bool begin(QIODevice* file, const QString& folder, QString* why) = 0;
    // One conversation. Returns false with *why on failure, and false with
    // *why empty when step() said the user cancelled.
    virtual bool write(const ExportConversation& conversation, QString* why) = 0;
    // After the last conversation (index pages, the trailing page number).
    virtual bool finish(QString* why) = 0;

protected:
    const Context& context() const { return m_context; }
    bool step() const { return !m_context.step || m_context.step(); }

private:
    Context m_context;
};

} // namespace exporting
