#include "CliCommands.h"

#include "Catalogue.h"
#include "TextExport.h"
#include "xconsole.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QIODevice>
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
    "MsgdeskCli",
    "usage: msgdesk-cli list   [--json] [--contacts FILE] SOURCE\n"
    "       msgdesk-cli show   [--json] [--contacts FILE] SOURCE KEY\n"
    "       msgdesk-cli export [--contacts FILE] [--conversation KEY] SOURCE FILE\n"
    "       msgdesk-cli info   [--json] SOURCE\n"
    "SOURCE is a .sms backup file, a phone's message database or a phone backup\n"
    "folder; KEY is a conversation key as \"list\" prints it. An encrypted backup's\n"
    "password comes from MSGDESK_BACKUP_PASSWORD or is asked for. The source is\n"
    "never changed.\n"
    "       msgdesk-cli --version | --help\n");

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

// The time text of a record without its "time:" label and line end.
QString shownTime(const MessageRecord& m)
{
    QString t = QString::fromUtf8(m.timeText()).trimmed();
    if (t.startsWith(QLatin1String("time:")))
        t.remove(0, 5);
    return t;
}

QString conversationName(const MessageRecord& head)
{
    const QString name = QString::fromUtf8(head.contactName).trimmed();
    return head.contactName == "NULL" || name.isEmpty() ? QString::fromUtf8(head.address) : name;
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
        const QString name = conversationName(head);
        const int count = store.messageCountOf(head.address);
        if (json) {
            writeJson(out, {{QStringLiteral("key"), QString::fromUtf8(head.address)},
                            {QStringLiteral("name"), name},
                            {QStringLiteral("count"), count},
                            {QStringLiteral("time"), shownTime(head)},
                            {QStringLiteral("text"), QString::fromUtf8(head.text)}});
        } else {
            writeLine(out, name + QLatin1Char('\t') + QString::fromUtf8(head.address) + QLatin1Char('\t') +
                               QString::number(count) + QLatin1Char('\t') + shownTime(head) + QLatin1Char('\t') +
                               oneLine(head.text));
        }
    }
    return kOk;
}

bool hasConversation(const MessageStore& store, const QByteArray& key)
{
    for (const MessageRecord& head : store.conversationHeads) {
        if (head.address == key)
            return true;
    }
    return false;
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
    return conversationName(m);
}

int show(CliSource& source, const QByteArray& key, bool json, QIODevice* out)
{
    MessageStore& store = *source.messages;
    store.selectConversation(key);
    for (const MessageRecord& m : std::as_const(store.conversation)) {
        if (json) {
            const QByteArray sender = m.isIncoming ? (m.sender.isEmpty() ? m.address : m.sender) : QByteArray();
            writeJson(out, {{QStringLiteral("rowid"), m.rowId},
                            {QStringLiteral("key"), QString::fromUtf8(m.address)},
                            {QStringLiteral("incoming"), m.isIncoming},
                            {QStringLiteral("sender"), sender.isEmpty() ? QJsonValue() : QString::fromUtf8(sender)},
                            {QStringLiteral("time"), shownTime(m)},
                            {QStringLiteral("utc"), QDateTime::fromSecsSinceEpoch(m.time, Qt::UTC)
                                                        .toString(Qt::ISODate)},
                            {QStringLiteral("text"), QString::fromUtf8(m.text)}});
        } else {
            writeLine(out, shownTime(m) + QLatin1Char('\t') + author(store, m) + QLatin1Char('\t') + oneLine(m.text));
        }
    }
    return kOk;
}

QString yesNo(bool value)
{
    return value ? MsgdeskCli::tr("yes") : MsgdeskCli::tr("no");
}

// What a backup folder says about itself; nothing needs unlocking for it.
int infoOfFolder(const QString& folder, bool json, QIODevice* out, QIODevice* err)
{
    const phonebackup::PhoneBackup backup(folder);
    if (!backup.isValid()) {
        writeLine(err, QStringLiteral("msgdesk-cli: ") + MsgdeskCli::tr("%1: %2").arg(folder, backup.errorString()));
        return kFailed;
    }
    const phonebackup::BackupInfo& info = backup.info();
    const QString date = info.lastBackupDate.isValid()
                             ? info.lastBackupDate.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                             : QString();
    const QString layout = phonebackup::layoutName(info.layout);
    if (json) {
        writeJson(out, {{QStringLiteral("device"), info.deviceName},
                        {QStringLiteral("version"), info.productVersion},
                        {QStringLiteral("date"), info.lastBackupDate.isValid()
                                                     ? QJsonValue(info.lastBackupDate.toUTC().toString(Qt::ISODate))
                                                     : QJsonValue()},
                        {QStringLiteral("layout"), layout},
                        {QStringLiteral("encrypted"), info.encrypted},
                        {QStringLiteral("finished"), info.finished}});
        return kOk;
    }
    writeLine(out, MsgdeskCli::tr("Device name: %1").arg(info.deviceName));
    writeLine(out, MsgdeskCli::tr("iOS version: %1").arg(info.productVersion));
    writeLine(out, MsgdeskCli::tr("Backup date: %1").arg(date));
    writeLine(out, MsgdeskCli::tr("Layout: %1").arg(layout));
    writeLine(out, MsgdeskCli::tr("Encrypted: %1").arg(yesNo(info.encrypted)));
    const QString incomplete = backup.incompleteReason();
    writeLine(out, MsgdeskCli::tr("Complete: %1").arg(incomplete.isEmpty() ? yesNo(true) : incomplete));
    return kOk;
}

// A file source: which kind of file, which table layout, how much is in it.
int infoOfFile(const CliSource& source, bool json, QIODevice* out)
{
    const MessageStore& store = *source.messages;
    const QString layout = store.layout() == MessageLayout::Modern ? MsgdeskCli::tr("modern message database (iOS 6 and later)")
                                                                   : MsgdeskCli::tr("legacy message database (iOS 5 and before)");
    if (json) {
        writeJson(out, {{QStringLiteral("layout"), store.layout() == MessageLayout::Modern ? QStringLiteral("modern")
                                                                                           : QStringLiteral("legacy")},
                        {QStringLiteral("encrypted"), false},
                        {QStringLiteral("messages"), int(store.messages.size())},
                        {QStringLiteral("conversations"), int(store.conversationHeads.size())},
                        {QStringLiteral("contacts"), int(source.contacts->contacts.size())}});
        return kOk;
    }
    writeLine(out, MsgdeskCli::tr("Layout: %1").arg(layout));
    writeLine(out, MsgdeskCli::tr("Encrypted: %1").arg(yesNo(false)));
    writeLine(out, MsgdeskCli::tr("Messages: %1").arg(store.messages.size()));
    writeLine(out, MsgdeskCli::tr("Conversations: %1").arg(store.conversationHeads.size()));
    writeLine(out, MsgdeskCli::tr("Contacts: %1").arg(source.contacts->contacts.size()));
    return kOk;
}

int exportText(CliSource& source, const Options& o, QIODevice* err)
{
    MessageStore& store = *source.messages;
    QStringList lines;
    if (o.hasConversation) {
        // The bytes "Copy" writes from the chat page of that conversation.
        store.selectConversation(o.conversation.toUtf8());
        lines = textexport::chatPageLines(store.conversation);
    } else {
        // The bytes "Copy" writes from the conversation list.
        const QVector<MessageRecord> heads = store.conversationHeads;
        for (const MessageRecord& head : heads) {
            store.selectConversation(head.address);
            lines += textexport::conversationBlock(store.conversation);
        }
    }
    const QString file = o.positional.at(1);
    if (!textexport::writeLines(file, lines)) {
        writeLine(err, MsgdeskCli::tr("msgdesk-cli: %1: cannot be written").arg(file));
        return kFailed;
    }
    return kOk;
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
    if (o.command.isEmpty())
        return usageError(err, MsgdeskCli::tr("no command given"));
    if (!isList && !isShow && !isExport && !isInfo)
        return usageError(err, MsgdeskCli::tr("unknown command %1").arg(o.command));
    const int wanted = isList || isInfo ? 1 : 2;
    if (o.positional.size() != wanted)
        return usageError(err, MsgdeskCli::tr("%1 takes %2").arg(o.command, wanted == 1 ? QStringLiteral("SOURCE")
                                                                : isShow    ? QStringLiteral("SOURCE KEY")
                                                                            : QStringLiteral("SOURCE FILE")));
    if (o.json && isExport)
        return usageError(err, MsgdeskCli::tr("--json is for list, show and info"));
    if (o.hasConversation && !isExport)
        return usageError(err, MsgdeskCli::tr("--conversation is for export"));
    if (!o.contacts.isEmpty() && isInfo)
        return usageError(err, MsgdeskCli::tr("--contacts is for list, show and export"));

    if (isInfo && isBackupFolder(o.positional.at(0)))
        return infoOfFolder(o.positional.at(0), o.json, out, err);
    CliSource source = openCliSource(o.positional.at(0), o.contacts, password);
    for (const QString& warning : std::as_const(source.warnings))
        writeLine(err, QStringLiteral("msgdesk-cli: ") + warning);
    if (!source.error.isEmpty()) {
        writeLine(err, QStringLiteral("msgdesk-cli: ") + source.error);
        return kFailed;
    }
    if (isInfo)
        return infoOfFile(source, o.json, out);
    const QByteArray key = isShow ? o.positional.at(1).toUtf8() : o.conversation.toUtf8();
    if ((isShow || o.hasConversation) && !hasConversation(*source.messages, key)) {
        writeLine(err, MsgdeskCli::tr("msgdesk-cli: %1: no conversation %2").arg(o.positional.at(0), QString::fromUtf8(key)));
        return kFailed;
    }
    if (isList)
        return list(source, o.json, out);
    if (isShow)
        return show(source, key, o.json, out);
    return exportText(source, o, err);
}

} // namespace cli
