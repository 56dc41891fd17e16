#include "Export.h"

#include "CsvWriter.h"
#include "ExportTarget.h"
#include "ExportWalk.h"
#include "FormatWriter.h"
#include "HtmlWriter.h"
#include "JsonWriter.h"
#include "PdfWriter.h"
#include "SafeFileName.h"
#include "TextWriter.h"

#include <QCoreApplication>

namespace exporting {

namespace {

struct Export
{
    Q_DECLARE_TR_FUNCTIONS(Export)
};

} // namespace

std::unique_ptr<FormatWriter> writerFor(Format format)
{
    switch (format) {
    case Format::Txt:
        return std::make_unique<TextWriter>();
    case Format::Csv:
        return std::make_unique<CsvWriter>();
    case Format::Json:
        return std::make_unique<JsonWriter>();
    case Format::Html:
        return std::make_unique<HtmlWriter>();
    case Format::Pdf:
        return std::make_unique<PdfWriter>();
    }
    return nullptr;
}

Result run(MessageStore& store, AttachmentFiles* files, const Options& options, const QString& target,
           const Progress& progress)
{
    Result result;
    const bool folder = writesFolder(options.format);
    // Opening the target refuses an existing one before anything is read.
    ExportTarget out(target, folder);
    QString why;
    if (!out.open(&why)) {
        result.status = Result::Status::Refused;
        result.message = why;
        return result;
    }

    std::unique_ptr<FormatWriter> writer = writerFor(options.format);
    ExportWalk walk(store, options.selection);
    const qint64 total = walk.messageCount();
    qint64 done = 0;
    bool cancelled = false;
    FormatWriter::Context context;
    context.walk = &walk;
    context.files = options.includeAttachments && carriesAttachments(options.format) ? files : nullptr;
    context.presence = files;
    context.options = options;
    context.step = [&]() {
        ++done;
        if (progress && !progress(done, total))
            cancelled = true;
        return !cancelled;
    };
    writer->setContext(context);

    bool ok = writer->begin(out.file(), out.folder(), &why);
    ExportConversation conversation;
    while (ok && walk.next(&conversation)) {
        ok = writer->write(conversation, &why);
        ++result.conversations;
    }
    ok = ok && writer->finish(&why);
    // The writer goes before the target so that its files are closed.
    writer.reset();
    if (cancelled) {
        result.status = Result::Status::Cancelled;
        return result;
    }
    if (!ok || !out.commit(&why)) {
        result.message = why.isEmpty() ? Export::tr("%1: cannot be written").arg(target) : why;
        return result;
    }
    result.status = Result::Status::Written;
    result.messages = done;
    result.openPath = folder ? target + QStringLiteral("/index.html") : target;
    return result;
}

QString defaultName(const QString& conversationName, Format format, const QDate& day)
{
    const QString stem = conversationName.isEmpty() ? Export::tr("Messages") : conversationName;
    return safename::safeFileName(stem + QLatin1Char(' ') + day.toString(Qt::ISODate) + extension(format),
                                  QStringLiteral("export") + extension(format));
}

} // namespace exporting
