#include "CliExport.h"

#include "CliCommands.h"
#include "CliSignals.h"
#include "Export.h"
#include "ExportTarget.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QRegularExpression>

namespace cli {

namespace {

// The messages of msgdesk-cli share one translation context.
struct MsgdeskCli
{
    Q_DECLARE_TR_FUNCTIONS(MsgdeskCli)
};

void writeError(QIODevice* err, const QString& line)
{
    err->write((QStringLiteral("msgdesk-cli: ") + line).toUtf8());
    err->write("\n");
}

// Exactly YYYY-MM-DD, and a day that exists.
bool parseDate(const QString& text, QDate* date)
{
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!form.match(text).hasMatch())
        return false;
    *date = QDate::fromString(text, Qt::ISODate);
    return date->isValid();
}

} // namespace

bool exportOptions(const ExportRequest& request, exporting::Options* options, QString* problem)
{
    if (!request.format.isEmpty()) {
        const std::optional<exporting::Format> format = exporting::formatFromName(request.format);
        if (!format) {
            *problem = MsgdeskCli::tr("unknown format %1 (one of %2)")
                           .arg(request.format, exporting::formatNames().join(QLatin1Char(' ')));
            return false;
        }
        options->format = *format;
    }
    if (request.attachments && !exporting::carriesAttachments(options->format)) {
        *problem = MsgdeskCli::tr("--attachments is for the html and pdf formats");
        return false;
    }
    options->includeAttachments = request.attachments;
    for (const auto& [text, date, option] :
         {std::tuple<const QString&, QDate*, const char*>{request.from, &options->selection.from, "--from"},
          {request.to, &options->selection.to, "--to"}}) {
        if (!text.isEmpty() && !parseDate(text, date)) {
            *problem = MsgdeskCli::tr("%1 %2: not a date of the form YYYY-MM-DD").arg(QLatin1String(option), text);
            return false;
        }
    }
    if (options->selection.from.isValid() && options->selection.to.isValid() &&
        options->selection.from > options->selection.to) {
        *problem = MsgdeskCli::tr("--from %1 is after --to %2").arg(request.from, request.to);
        return false;
    }
    return true;
}

bool exportTargetFree(const exporting::Options& options, const QString& target, QIODevice* err)
{
    const exporting::ExportTarget::Check check =
        exporting::ExportTarget::check(target, exporting::writesFolder(options.format));
    if (check == exporting::ExportTarget::Check::Free)
        return true;
    writeError(err, exporting::ExportTarget::refusal(check, target));
    return false;
}

int exportMessages(CliSource& source, exporting::Options options, const QByteArray* conversation, const QString& target,
                   QIODevice* err)
{
    if (conversation) {
        options.selection.scope = exporting::Selection::Scope::OneConversation;
        options.selection.conversation = *conversation;
    }
    // Ctrl+C cancels the export, so that nothing of it is left behind, and
    // then ends the program as it would have.
    deferStop(true);
    const exporting::Result result = exporting::run(*source.messages, source.files.get(), options, target,
                                                    [](qint64, qint64) { return stopRequested() == 0; });
    deferStop(false);
    if (const int signal = stopRequested())
        stopNow(signal);
    if (result.status == exporting::Result::Status::Written)
        return kOk;
    writeError(err, result.message.isEmpty() ? MsgdeskCli::tr("%1: cannot be written").arg(target) : result.message);
    return kFailed;
}

} // namespace cli
