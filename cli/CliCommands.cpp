#include "CliCommands.h"

#include "AttachmentBackup.h"
#include "AttachmentSaving.h"
#include "Catalogue.h"
#include "CliExport.h"
#include "ConversationKey.h"
#include "ExportWalk.h"
#include "MessageJson.h"
#include "MessageSearch.h"
#include "xconsole.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace cli {

namespace {

// The messages of msgdesk-cli share one translation context.
struct MsgdeskCli
{
    Q_DECLARE_TR_FUNCTIONS(MsgdeskCli)
};

const char* const kUsageText = QT_TRANSLATE_NOOP(
    "MsgdeskCli", "usage: msgdesk-cli list   [--json] [--contacts FILE] SOURCE\n"
                  "       msgdesk-cli show   [--json] [--contacts FILE] SOURCE KEY\n"
                  "       msgdesk-cli export [--format txt|html|pdf|csv|json] [--attachments] [--contacts FILE]\n"
                  "                          [--conversation KEY] [--from DATE] [--to DATE] SOURCE OUT\n"
                  "       msgdesk-cli info   [--json] SOURCE\n"
                  "       msgdesk-cli search [--json] [--contacts FILE] [--conversation KEY] SOURCE QUERY\n"
                  "       msgdesk-cli attachments [--json] [--contacts FILE] [--conversation KEY] [--save DIR] SOURCE\n"
                  "       msgdesk-cli backup [--contacts FILE] SOURCE FILE\n"
                  "       msgdesk-cli --version | --help\n"
                  "SOURCE is a .sms backup file, a phone's message database or a phone backup\n"
                  "folder; KEY is a conversation key as \"list\" prints it. An encrypted backup's\n"
                  "password comes from MSGDESK_BACKUP_PASSWORD or is asked for. The source is\n"
                  "never changed. export writes txt unless told otherwise; DATE is YYYY-MM-DD in\n"
                  "local time; OUT must not exist (html: a new or empty folder).\n");

// The usage text in the user's language.
QByteArray usageText()
{
    return MsgdeskCli::tr(kUsageText).toUtf8();
}

struct Options
{
    QString command;
    QStringList positional;
    bool json = false;
    bool help = false;
    bool version = false;
    QString contacts;
    QString conversation;
    bool hasConversation = false;
    QString saveFolder;
    bool hasSave = false;
    ExportRequest exportRequest;
    // Whether any of the export's own options was given.
    bool hasExportOption = false;
};

void writeLine(QIODevice* device, const QString& line)
{
    device->write(line.toUtf8());
    device->write("\n");
}

int usageError(QIODevice* err, const QString& problem)
{
    writeLine(err, QStringLiteral("msgdesk-cli: ") + problem);
    err->write(usageText());
    return kUsage;
}

// Options may stand anywhere; "--" ends them, so a key may begin with "-".
bool parse(const QStringList& args, Options* o, QString* problem)
{
    bool optionsEnded = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            if (o->command.isEmpty())
                o->command = a;
            else
                o->positional.append(a);
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (a == QLatin1String("--json")) {
            o->json = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o->help = true;
        } else if (a == QLatin1String("--version")) {
            o->version = true;
        } else if (a == QLatin1String("--attachments")) {
            o->exportRequest.attachments = true;
            o->hasExportOption = true;
        } else if (a == QLatin1String("--save") || a == QLatin1String("--format") || a == QLatin1String("--from") ||
                   a == QLatin1String("--to")) {
            if (i + 1 >= args.size()) {
                *problem = MsgdeskCli::tr("%1 needs a value").arg(a);
                return false;
            }
            const QString value = args.at(++i);
            if (a == QLatin1String("--save")) {
                o->saveFolder = value;
                o->hasSave = true;
                continue;
            }
            // An empty value is no value: "--format ''" must not mean txt.
            if (value.isEmpty()) {
                *problem = MsgdeskCli::tr("%1 needs a value").arg(a);
                return false;
            }
            o->hasExportOption = true;
            if (a == QLatin1String("--format"))
                o->exportRequest.format = value;
            else if (a == QLatin1String("--from"))
                o->exportRequest.from = value;
            else
                o->exportRequest.to = value;
        } else if (a == QLatin1String("--contacts") || a == QLatin1String("--conversation")) {
            if (i + 1 >= args.size()) {
                *problem = MsgdeskCli::tr("%1 needs a value").arg(a);
                return false;
            }
            if (a == QLatin1String("--contacts")) {
                o->contacts = args.at(++i);
            } else {
                o->conversation = args.at(++i);
                o->hasConversation = true;
            }
        } else {
            *problem = MsgdeskCli::tr("unknown option %1").arg(a);
            return false;
        }
    }
    return true;
}

// One line per message in the plain form: line breaks inside a text would
// start what looks like a new entry.
QString oneLine(const QByteArray& text)
{
    QString s = QString::fromUtf8(text);
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return s;
}

void writeJson(QIODevice* out, const QJsonObject& object)
{
    out->write(QJsonDocument(object).toJson(QJsonDocument::Compact));
    out->write("\n");
}

int list(const CliSource& source, bool json, QIODevice* out)
{
    MessageStore& store = *source.messages;
    for (const MessageRecord& head : std::as_const(store.conversationHeads)) {
        const QString name = exporting::conversationName(head);
        const int count = store.messageCountOf(head.address);
        if (json) {
            writeJson(out, {{QStringLiteral("key"), conversationkey::toText(head.address)},
                            {QStringLiteral("name"), name},
                            {QStringLiteral("count"), count},
                            {QStringLiteral("time"), exporting::shownTime(head)},
                            {QStringLiteral("text"), QString::fromUtf8(head.text)}});
        } else {
            writeLine(out, name + QLatin1Char('\t') + conversationkey::toText(head.address) + QLatin1Char('\t') +
                               QString::number(count) + QLatin1Char('\t') + exporting::shownTime(head) +
                               QLatin1Char('\t') + oneLine(head.text));
        }
    }
    return kOk;
}

// The key of the conversation a key given on the command line names, as
// "list" printed it or as its plain bytes; nullopt when none has it.
std::optional<QByteArray> findConversation(const MessageStore& store, const QString& given)
{
    const QByteArray escaped = conversationkey::fromText(given);
    const QByteArray plain = given.toUtf8();
    for (const MessageRecord& head : store.conversationHeads) {
        if (head.address == escaped)
            return head.address;
    }
    for (const MessageRecord& head : store.conversationHeads) {
        if (head.address == plain)
            return head.address;
    }
    return std::nullopt;
}

// Who wrote a message, as the chat page names them.
QString author(const MessageStore& store, const MessageRecord& m)
{
    if (!m.isIncoming)
        return MsgdeskCli::tr("me");
    if (!m.sender.isEmpty() && m.sender != m.address) {
        const QByteArray name = store.senderName(m.sender);
        return name.isEmpty() ? QString::fromUtf8(m.sender) : QString::fromUtf8(name);
    }
    return exporting::conversationName(m);
}

int show(CliSource& source, const QByteArray& key, bool json, QIODevice* out)
{
    MessageStore& store = *source.messages;
    store.selectConversation(key);
    for (const MessageRecord& m : std::as_const(store.conversation)) {
        if (json) {
            const QVector<AttachmentRecord> attachments = store.attachmentsOf(m.rowId);
            QByteArray line;
            exporting::appendMessageJson(&line, m, {nullptr, &attachments, source.files.get()});
            out->write(line);
        } else {
            writeLine(out, exporting::shownTime(m) + QLatin1Char('\t') + author(store, m) + QLatin1Char('\t') +
                               oneLine(m.text));
        }
    }
    return kOk;
}

// Every message that matches the query, newest first; nothing when none does.
int searchMessages(CliSource& source, const QString& text, const Options& o, const QByteArray& key, QIODevice* out)
{
    MessageStore& store = *source.messages;
    const search::Query query = search::Query::parse(text);
    const std::shared_ptr<const search::Index> index = search::Index::build(store.messages);
    const search::Results results = index->find(query, {}, o.hasConversation ? &key : nullptr);
    for (const search::Hit& hit : results.hits) {
        const MessageRecord* m = store.message(hit.rowId);
        if (!m)
            continue;
        if (o.json) {
            const QByteArray name = exporting::conversationName(*m).toUtf8();
            QByteArray line;
            exporting::appendMessageJson(&line, *m, {&name});
            out->write(line);
        } else {
            // A message found by an attachment's name shows that name.
            QString text = oneLine(m->text);
            for (const QString& name : query.namesBeyondText(*m))
                text += (text.isEmpty() ? QStringLiteral("[") : QStringLiteral(" [")) + name + QLatin1Char(']');
            writeLine(out, exporting::conversationName(*m) + QLatin1Char('\t') + conversationkey::toText(m->address) +
                               QLatin1Char('\t') + exporting::shownTime(*m) + QLatin1Char('\t') + text);
        }
    }
    return kOk;
}

QString yesNo(bool value)
{
    return value ? MsgdeskCli::tr("yes") : MsgdeskCli::tr("no");
}

// Whether a file is missing is told by the catalogue, which an encrypted
// backup of iOS 10 and later keeps encrypted: it is unlocked as `list`
// unlocks it when a password is at hand. Without one, or with a wrong one,
// the rest is still told.
void unlockForInfo(phonebackup::PhoneBackup& backup, const QString& folder, const PasswordSource& password,
                   QIODevice* err)
{
    QByteArray secret;
    if (backup.canTellMissingFiles() || !password || !password(backup.info(), &secret))
        return;
    const phonebackup::UnlockResult result = backup.unlock(secret);
    secret.fill('\0');
    if (result == phonebackup::UnlockResult::WrongPassword)
        writeLine(err,
                  QStringLiteral("msgdesk-cli: ") + MsgdeskCli::tr("%1: wrong password for this backup").arg(folder));
    else if (result != phonebackup::UnlockResult::Unlocked)
        writeLine(err, QStringLiteral("msgdesk-cli: ") +
                           MsgdeskCli::tr("%1: the backup cannot be unlocked: %2").arg(folder, backup.lastError()));
}

// What a backup folder says about itself.
int infoOfFolder(const QString& folder, const PasswordSource& password, bool json, QIODevice* out, QIODevice* err)
{
    phonebackup::PhoneBackup backup(folder);
    if (!backup.isValid()) {
        writeLine(err, QStringLiteral("msgdesk-cli: ") + MsgdeskCli::tr("%1: %2").arg(folder, backup.errorString()));
        return kFailed;
    }
    unlockForInfo(backup, folder, password, err);
    const bool known = backup.canTellMissingFiles();
    const phonebackup::BackupInfo& info = backup.info();
    const QString date = info.lastBackupDate.isValid()
                             ? info.lastBackupDate.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                             : QString();
    const QString layout = phonebackup::layoutName(info.layout);
    // What `list` warns of: not finished, or a file it reads is missing.
    const QStringList missing = backup.missingFiles();
    const QStringList reasons = backup.incompleteReasons();
    // null: cannot be told while the backup is locked.
    const QJsonValue complete = !reasons.isEmpty() ? QJsonValue(false) : known ? QJsonValue(true) : QJsonValue();
    const QJsonValue missingValue = known ? QJsonValue(QJsonArray::fromStringList(missing)) : QJsonValue();
    if (json) {
        writeJson(out, {{QStringLiteral("device"), info.deviceName},
                        {QStringLiteral("version"), info.productVersion},
                        {QStringLiteral("date"), info.lastBackupDate.isValid()
                                                     ? QJsonValue(info.lastBackupDate.toUTC().toString(Qt::ISODate))
                                                     : QJsonValue()},
                        {QStringLiteral("layout"), layout},
                        {QStringLiteral("encrypted"), info.encrypted},
                        {QStringLiteral("finished"), info.finished},
                        {QStringLiteral("complete"), complete},
                        {QStringLiteral("missing"), missingValue}});
        return kOk;
    }
    writeLine(out, MsgdeskCli::tr("Device name: %1").arg(info.deviceName));
    writeLine(out, MsgdeskCli::tr("iOS version: %1").arg(info.productVersion));
    writeLine(out, MsgdeskCli::tr("Backup date: %1").arg(date));
    writeLine(out, MsgdeskCli::tr("Layout: %1").arg(layout));
    writeLine(out, MsgdeskCli::tr("Encrypted: %1").arg(yesNo(info.encrypted)));
    const QString told = !reasons.isEmpty() ? reasons.join(QLatin1Char(' '))
                         : known            ? yesNo(true)
                                            : MsgdeskCli::tr("cannot be told while the backup is locked");
    writeLine(out, MsgdeskCli::tr("Complete: %1").arg(told));
    return kOk;
}

// A file source: which kind of file, which table layout, how much is in it.
int infoOfFile(const CliSource& source, bool json, QIODevice* out)
{
    const MessageCounts& counts = source.counts;
    const bool modern = counts.layout == MessageLayout::Modern;
    const QString layout = modern ? MsgdeskCli::tr("modern message database (iOS 6 and later)")
                                  : MsgdeskCli::tr("legacy message database (iOS 5 and before)");
    if (json) {
        writeJson(out, {{QStringLiteral("layout"), modern ? QStringLiteral("modern") : QStringLiteral("legacy")},
                        {QStringLiteral("encrypted"), false},
                        {QStringLiteral("messages"), counts.messages},
                        {QStringLiteral("conversations"), counts.conversations},
                        {QStringLiteral("contacts"), int(source.contacts->contacts.size())}});
        return kOk;
    }
    writeLine(out, MsgdeskCli::tr("Layout: %1").arg(layout));
    writeLine(out, MsgdeskCli::tr("Encrypted: %1").arg(yesNo(false)));
    writeLine(out, MsgdeskCli::tr("Messages: %1").arg(counts.messages));
    writeLine(out, MsgdeskCli::tr("Conversations: %1").arg(counts.conversations));
    writeLine(out, MsgdeskCli::tr("Contacts: %1").arg(source.contacts->contacts.size()));
    return kOk;
}

// Conversations as "list" orders them, each one's messages oldest first.
int listAttachments(CliSource& source, const Options& o, const QByteArray& key, QIODevice* out, QIODevice* err)
{
    MessageStore& store = *source.messages;
    QVector<QByteArray> keys;
    if (o.hasConversation) {
        keys.append(key);
    } else {
        for (const MessageRecord& head : std::as_const(store.conversationHeads))
            keys.append(head.address);
    }
    QVector<AttachmentRecord> toSave;
    for (const QByteArray& key : std::as_const(keys)) {
        store.selectConversation(key);
        for (const MessageRecord& m : std::as_const(store.conversation)) {
            for (const AttachmentRecord& a : store.attachmentsOf(m.rowId)) {
                const bool present = source.files->isPresent(a);
                if (o.hasSave) {
                    toSave.append(a);
                } else if (o.json) {
                    writeJson(out, {{QStringLiteral("rowid"), m.rowId},
                                    {QStringLiteral("key"), conversationkey::toText(m.address)},
                                    {QStringLiteral("name"), a.shownName()},
                                    {QStringLiteral("mime"), QString::fromUtf8(a.mimeType)},
                                    {QStringLiteral("bytes"), a.bytes < 0 ? QJsonValue() : QJsonValue(a.bytes)},
                                    {QStringLiteral("present"), present}});
                } else {
                    writeLine(out, conversationkey::toText(m.address) + QLatin1Char('\t') + QString::number(m.rowId) +
                                       QLatin1Char('\t') + oneLine(a.name) + QLatin1Char('\t') +
                                       QString::fromUtf8(a.mimeType) + QLatin1Char('\t') +
                                       (a.bytes < 0 ? QString() : QString::number(a.bytes)) + QLatin1Char('\t') +
                                       (present ? MsgdeskCli::tr("present") : attachmentfiles::notInBackup()));
                }
            }
        }
    }
    if (!o.hasSave)
        return kOk;

    const attachmentsaving::Report report = attachmentsaving::saveAll(*source.files, toSave, o.saveFolder);
    for (const QString& path : report.written)
        writeLine(out, path);
    for (const AttachmentRecord& a : report.missing)
        writeLine(err, MsgdeskCli::tr("msgdesk-cli: %1: %2").arg(oneLine(a.name), attachmentfiles::notInBackup()));
    for (const QString& failure : report.failures)
        writeLine(err, QStringLiteral("msgdesk-cli: ") + failure);
    return report.failures.isEmpty() ? kOk : kFailed;
}

int writeSmsBackup(CliSource& source, const QString& target, QIODevice* err)
{
    const QVector<AttachmentRecord> attachments = attachmentbackup::attachmentsOf(*source.messages);
    QString why;
    const attachmentbackup::Result result = attachmentbackup::writeBackup(
        source.databasePath, target, source.contacts->contacts, source.walPath, *source.files, attachments, {}, &why);
    switch (result) {
    case attachmentbackup::Result::Written:
        return kOk;
    case attachmentbackup::Result::TargetExists:
        writeLine(err, MsgdeskCli::tr("msgdesk-cli: %1: a file of that name is already there").arg(target));
        return kFailed;
    case attachmentbackup::Result::AttachmentsFailed:
        writeLine(err, MsgdeskCli::tr("msgdesk-cli: %1: cannot be written: %2").arg(target, why));
        return kFailed;
    default:
        writeLine(err, MsgdeskCli::tr("msgdesk-cli: %1: cannot be written").arg(target));
        return kFailed;
    }
}

} // namespace

bool passwordFromEnvironmentOrTerminal(const phonebackup::BackupInfo& backup, QByteArray* password)
{
    if (qEnvironmentVariableIsSet("MSGDESK_BACKUP_PASSWORD")) {
        *password = qgetenv("MSGDESK_BACKUP_PASSWORD");
        return true;
    }
    const QString name = backup.deviceName.isEmpty() ? backup.folder : backup.deviceName;
    return shellkit::readSecretLine(MsgdeskCli::tr("Password of the backup of %1: ").arg(name), password);
}

int run(const QStringList& arguments, QIODevice* out, QIODevice* err, const PasswordSource& password)
{
    Options o;
    QString problem;
    if (!parse(arguments, &o, &problem))
        return usageError(err, problem);
    if (o.version) {
        writeLine(out, QStringLiteral("msgdesk-cli " MSGDESK_VERSION));
        return kOk;
    }
    if (o.help) {
        out->write(usageText());
        return kOk;
    }
    const bool isList = o.command == QLatin1String("list");
    const bool isShow = o.command == QLatin1String("show");
    const bool isExport = o.command == QLatin1String("export");
    const bool isInfo = o.command == QLatin1String("info");
    const bool isSearch = o.command == QLatin1String("search");
    const bool isAttachments = o.command == QLatin1String("attachments");
    const bool isBackup = o.command == QLatin1String("backup");
    if (o.command.isEmpty())
        return usageError(err, MsgdeskCli::tr("no command given"));
    if (!isList && !isShow && !isExport && !isInfo && !isSearch && !isAttachments && !isBackup)
        return usageError(err, MsgdeskCli::tr("unknown command %1").arg(o.command));
    const int wanted = isList || isInfo || isAttachments ? 1 : 2;
    if (o.positional.size() != wanted)
        return usageError(err, MsgdeskCli::tr("%1 takes %2")
                                   .arg(o.command, wanted == 1 ? QStringLiteral("SOURCE")
                                                   : isShow    ? QStringLiteral("SOURCE KEY")
                                                   : isSearch  ? QStringLiteral("SOURCE QUERY")
                                                   : isExport  ? QStringLiteral("SOURCE OUT")
                                                               : QStringLiteral("SOURCE FILE")));
    if (o.json && (isExport || isBackup))
        return usageError(err, MsgdeskCli::tr("--json is for list, show, info, search and attachments"));
    if (o.hasConversation && !isExport && !isSearch && !isAttachments)
        return usageError(err, MsgdeskCli::tr("--conversation is for export, search and attachments"));
    if (o.hasExportOption && !isExport)
        return usageError(err, MsgdeskCli::tr("--format, --attachments, --from and --to are for export"));
    exporting::Options exportSettings;
    if (isExport && !cli::exportOptions(o.exportRequest, &exportSettings, &problem))
        return usageError(err, problem);
    if (o.hasSave && !isAttachments)
        return usageError(err, MsgdeskCli::tr("--save is for attachments"));
    if (o.hasSave && o.json)
        return usageError(err, MsgdeskCli::tr("--save and --json cannot be combined"));
    if (!o.contacts.isEmpty() && isInfo)
        return usageError(err, MsgdeskCli::tr("--contacts is for list, show, export, search, attachments and backup"));
    // Refused before anything is read, and left as it is.
    if (isBackup && (QFileInfo::exists(o.positional.at(1)) || QFileInfo(o.positional.at(1)).isSymLink())) {
        writeLine(err, MsgdeskCli::tr("msgdesk-cli: %1: a file of that name is already there").arg(o.positional.at(1)));
        return kFailed;
    }
    if (isExport && !exportTargetFree(exportSettings, o.positional.at(1), err))
        return kFailed;

    if (isInfo && isBackupFolder(o.positional.at(0)))
        return infoOfFolder(o.positional.at(0), password, o.json, out, err);
    // One conversation is read alone: the rest of a large file is not needed.
    // Its key may come in the printed (escaped) form.
    const QByteArray only = isShow              ? conversationkey::fromText(o.positional.at(1))
                            : o.hasConversation ? conversationkey::fromText(o.conversation)
                                                : QByteArray();
    CliSource source = openCliSource(o.positional.at(0), o.contacts, password, only, isInfo);
    for (const QString& warning : std::as_const(source.warnings))
        writeLine(err, QStringLiteral("msgdesk-cli: ") + warning);
    if (!source.error.isEmpty()) {
        writeLine(err, QStringLiteral("msgdesk-cli: ") + source.error);
        return kFailed;
    }
    if (isInfo)
        return infoOfFile(source, o.json, out);
    if (isBackup)
        return writeSmsBackup(source, o.positional.at(1), err);
    const QString given = isShow ? o.positional.at(1) : o.conversation;
    QByteArray key;
    if (isShow || o.hasConversation) {
        const std::optional<QByteArray> found = findConversation(*source.messages, given);
        if (!found) {
            writeLine(err, MsgdeskCli::tr("msgdesk-cli: %1: no conversation %2").arg(o.positional.at(0), given));
            return kFailed;
        }
        key = *found;
    }
    if (isList)
        return list(source, o.json, out);
    if (isShow)
        return show(source, key, o.json, out);
    if (isSearch)
        return searchMessages(source, o.positional.at(1), o, key, out);
    if (isAttachments)
        return listAttachments(source, o, key, out, err);
    return exportMessages(source, exportSettings, o.hasConversation ? &key : nullptr, o.positional.at(1), err);
}

bool needsGuiApplication(const QStringList& arguments)
{
    Options o;
    QString problem;
    if (!parse(arguments, &o, &problem) || o.command != QLatin1String("export"))
        return false;
    const std::optional<exporting::Format> format = exporting::formatFromName(o.exportRequest.format);
    return format && *format == exporting::Format::Pdf;
}

} // namespace cli
