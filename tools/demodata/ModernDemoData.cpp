// The current phone of the demo: the message database of iOS 6 and later as
// iOS 17 writes it (the iOS 13 statements plus the columns iOS 16 added), and
// the address book of iOS 15.

#include "AttributedBody.h"
#include "DemoData.h"
#include "DemoPictures.h"
#include "DemoDataInternal.h"
#include "PhoneDb.h"

#include <QHash>
#include <QList>

#include <algorithm>
#include <cstring>

namespace demodata {

using namespace detail;

namespace {

// 2023-03-01 00:00 UTC; the phone's dates count from 2001-01-01 UTC.
constexpr qint64 kModernStart = 1677628800;
constexpr qint64 kAppleEpoch = 978307200;
constexpr int kModernDays = 300;
// Until this day the phone kept a message's text in both columns; since,
// most texts sit only in attributedBody, as on phones of iOS 16 and later.
constexpr int kBodyOnlyFromDay = 100;

const char* const kOwnNumber = "+8613512340000";
const char* const kOwnAccount = "zoe.zhang@example.net";

struct BookValue
{
    int property; // 3 phone, 4 e-mail
    const char* label;
    const char* value;
};

struct BookPerson
{
    const char* first;
    const char* last;
    const char* organization;
    BookValue values[2];
};

// As people type numbers into a phone: national forms, brackets, spaces,
// no-break spaces (U+00A0), dashes; some have an e-mail address first.
const BookPerson kBook[] = {
    {"Emma", "Thompson", nullptr, {{3, "_$!<Mobile>!$_", "+44 7700 900123"}, {}}},
    {"James", "Carter", nullptr, {{3, "iPhone", "(415) 555-0134"}, {}}},
    {"Olivia",
     "Bennett",
     nullptr,
     {{3, "_$!<Mobile>!$_",
       "(209)\xC2\xA0"
       "598-1933"},
      {}}},
    {"Noah", "Patel", nullptr, {{3, "_$!<Mobile>!$_", "+1 212-555-0199"}, {}}},
    {"Sophie",
     "Martin",
     nullptr,
     {{3, "_$!<Mobile>!$_",
       "+33\xC2\xA0"
       "6\xC2\xA0"
       "12\xC2\xA0"
       "34\xC2\xA0"
       "56\xC2\xA0"
       "78"},
      {}}},
    {"Lucas", "Dubois", nullptr, {{3, "_$!<Mobile>!$_", "06 98 76 54 32"}, {}}},
    {"Chlo\xC3\xA9", "Lef\xC3\xA8vre", nullptr, {{3, "iPhone", "+33 7 55 44 33 22"}, {}}},
    {"J\xC3\xBCrgen", "M\xC3\xBCller", nullptr, {{3, "_$!<Mobile>!$_", "0151 23456789"}, {}}},
    {"Anna",
     "Schr\xC3\xB6"
     "der",
     nullptr,
     {{3, "_$!<Mobile>!$_", "+49 170 9876543"}, {4, "_$!<Home>!$_", "anna.schroeder@example.de"}}},
    {"Mar\xC3\xAD"
     "a",
     "Garc\xC3\xAD"
     "a",
     nullptr,
     {{3, "_$!<Mobile>!$_", "612 34 56 78"}, {}}},
    {"Javier", "Fern\xC3\xA1ndez", nullptr, {{3, "_$!<Mobile>!$_", "+34 699 887 766"}, {}}},
    {"\xE4\xBC\x9F", "\xE7\x8E\x8B", nullptr, {{3, "_$!<Mobile>!$_", "138 1234 5678"}, {}}},
    {"\xE8\x8A\xB3", "\xE6\x9D\x8E", nullptr, {{3, "_$!<Mobile>!$_", "+86 139-8765-4321"}, {}}},
    {"Mom", nullptr, nullptr, {{3, "iPhone", "+86 136 0000 8888"}, {}}},
    {"Dad", nullptr, nullptr, {{3, "_$!<Mobile>!$_", "+86 137 0000 9999"}, {}}},
    {"Grace",
     "O'Neill",
     nullptr,
     {{4, "_$!<Home>!$_", "grace.oneill@example.org"}, {3, "_$!<Mobile>!$_", "087 123 4567"}}},
    {"L\xC3\xA9"
     "a",
     "Rousseau",
     nullptr,
     {{4, "_$!<Home>!$_", "Lea.Rousseau@example.fr"}, {}}},
    {"Hiroshi", "Tanaka", nullptr, {{3, "_$!<Mobile>!$_", "090-1234-5678"}, {}}},
    {"Zo\xC3\xAB", "Van der Berg", nullptr, {{3, "_$!<Mobile>!$_", "+31 6 12345678"}, {}}},
    {nullptr, nullptr, "Pizza Roma", {{3, "_$!<Main>!$_", "020 7946 0321"}, {}}},
    {nullptr,
     nullptr,
     "Lakeside Dental",
     {{3, "_$!<Work>!$_", "(650) 555-0148"}, {4, "_$!<Work>!$_", "frontdesk@lakeside-dental.example"}}},
    {"Ben", "Okafor", nullptr, {{3, "_$!<Mobile>!$_", "+234 803 123 4567"}, {}}},
    {"Priya", "Sharma", nullptr, {{3, "_$!<Mobile>!$_", "+91 98765 43210"}, {}}},
    {"Tom", "Becker", nullptr, {{4, "_$!<Work>!$_", "tom.becker@example.com"}, {}}},
};

const char* const kLabels[] = {"_$!<Mobile>!$_", "iPhone", "_$!<Home>!$_", "_$!<Work>!$_", "_$!<Main>!$_"};

// One-to-one chats: the handle as the network gives it (international
// numbers, e-mail addresses in lower case, short codes, a sender name).
struct ChatSeed
{
    const char* id;
    const char* service;
    const char* country;
    Lang lang;
    int bursts; // at most
};

const ChatSeed kChats[] = {
    {"+447700900123", "iMessage", "gb", En, 12},
    {"+447700900123", "SMS", "gb", En, 12},
    {"+14155550134", "iMessage", "us", En, 12},
    {"+12095981933", "iMessage", "us", En, 12},
    {"+12125550199", "SMS", "us", En, 12},
    {"+33612345678", "iMessage", "fr", Fr, 12},
    {"+33698765432", "SMS", "fr", Fr, 12},
    {"+33755443322", "iMessage", "fr", Fr, 12},
    {"+4915123456789", "SMS", "de", De, 12},
    {"+491709876543", "iMessage", "de", De, 12},
    {"anna.schroeder@example.de", "iMessage", "de", De, 12},
    {"+34612345678", "SMS", "es", Es, 12},
    {"+34699887766", "iMessage", "es", Es, 12},
    {"+8613812345678", "SMS", "cn", Zh, 12},
    {"+8613987654321", "SMS", "cn", Zh, 12},
    {"+8613600008888", "iMessage", "cn", Zh, 12},
    {"+8613700009999", "SMS", "cn", Zh, 12},
    {"+353871234567", "iMessage", "ie", En, 12},
    {"lea.rousseau@example.fr", "iMessage", "fr", Fr, 12},
    {"+819012345678", "iMessage", "jp", En, 12},
    {"+31612345678", "iMessage", "nl", En, 12},
    // Numbers without a contact.
    {"+16505550123", "SMS", "us", En, 2},
    {"+447911123456", "SMS", "gb", En, 1},
    {"+8615900001111", "SMS", "cn", Zh, 2},
};

struct ServiceSeed
{
    const char* id;
    const char* country;
    const char* texts[3];
};

// Senders that only send: businesses, short codes and a sender name.
const ServiceSeed kServices[] = {
    {"+442079460321",
     "gb",
     {"Thanks for your order! It will be ready for pick-up in 20 minutes \xF0\x9F\x8D\x95",
      "Your order #2231 is on its way.", "Tuesday is pizza night: two for one until 10 pm!"}},
    {"+16505550148",
     "us",
     {"Reminder: your dental appointment is tomorrow at 9:00. Reply C to confirm.",
      "Lakeside Dental: it's time for your check-up. Call us to book a visit.",
      "Thank you for confirming your appointment."}},
    {"40404",
     nullptr,
     {"Your Twitter confirmation code is 482913.", "Reply STOP to stop receiving messages.",
      "Your login code is 118204. Don't share it."}},
    {"10086",
     nullptr,
     {"\xE3\x80\x90\xE8\xAF\x9D\xE8\xB4\xB9\xE6\x8F\x90\xE9\x86\x92\xE3\x80\x91\xE6\x82\xA8\xE6\x9C\xAC\xE6\x9C\x88"
      "\xE8\xAF\x9D\xE8\xB4\xB9\xE4\xBD\x99\xE9\xA2\x9D\xE4\xB8\xBA"
      "32.50\xE5\x85\x83\xE3\x80\x82",
      "\xE6\x82\xA8\xE7\x9A\x84\xE6\xB5\x81\xE9\x87\x8F\xE5\xA5\x97\xE9\xA4\x90\xE5\xB7\xB2\xE4\xBD\xBF\xE7\x94\xA8"
      "80%\xE3\x80\x82",
      "\xE3\x80\x90\xE8\xB4\xA6\xE5\x8D\x95\xE3\x80\x91\xE6\x82\xA8"
      "12\xE6\x9C\x88\xE8\xB4\xA6\xE5\x8D\x95\xE9\x87"
      "\x91\xE9\xA2\x9D\xE4\xB8\xBA"
      "88.00\xE5\x85\x83\xE3\x80\x82"}},
    {"DHL",
     nullptr,
     {"Your parcel 4711 0815 will be delivered today between 10:00 and 14:00.",
      "Your parcel is waiting at the service point on Main Street.",
      "Delivered: your parcel was handed over to a neighbour."}},
};

struct GroupSeed
{
    const char* identifier;
    const char* name; // empty: an unnamed group
    const char* service;
    Lang lang;
    int members[3]; // indexes into kChats (the handle of that chat, with the group's service)
};

const GroupSeed kGroups[] = {
    {"chat493817265012345678", "Weekend hiking \xF0\x9F\xA5\xBE", "iMessage", En, {0, 2, 3}},
    {"chat118204731920554017", "", "iMessage", Fr, {5, 7, 18}},
    {"chat731920118204993311", "\xE5\xAE\xB6\xE4\xBA\xBA \xE2\x9D\xA4\xEF\xB8\x8F", "iMessage", Zh, {15, 16, 13}},
    {"chat550187904417220031", "", "SMS", De, {8, 9, 4}},
};

const char* const kReactionWords[] = {"Loved", "Liked", "Disliked", "Laughed at", "Emphasized", "Questioned"};

struct Handle
{
    QString id;
    QString service;
    QString country;
};

struct Chat
{
    QString guid;
    int style = 45; // 45 one-to-one, 43 group
    QString identifier;
    QString service;
    QString displayName;
    QString roomName;
    QString groupId;
    QList<int> members; // handle indexes
};

struct Attachment
{
    QString guid;
    QString filename;
    QString uti;
    QString mime;
    QString transferName;
    QByteArray content;
    qint64 created = 0; // seconds since 1970
    bool outgoing = false;
};

struct Msg
{
    QString guid;
    QString text;           // null: none
    bool textColumn = true; // false: the text sits only in attributedBody
    int handle = -1;        // handle index; -1 is handle_id 0
    int chat = -1;          // chat index; -1: in no chat
    bool fromMe = false;
    qint64 date = 0; // seconds since 1970
    int nanos = 0;
    QString service;
    int associatedType = 0;
    QString associatedGuid;
    int itemType = 0;
    int groupAction = 0;
    int otherHandle = -1;
    QString groupTitle;
    qint64 edited = 0;    // seconds since 1970, 0: never
    qint64 retracted = 0; // seconds since 1970, 0: never
    QList<int> attachments;
};

struct Modern
{
    QList<Handle> handles;
    QList<Chat> chats;
    QList<Attachment> attachments;
    QList<Msg> messages; // in arrival order: index + 1 is the row id
};

QString uuid(Random& rnd)
{
    const std::uint32_t a = rnd.next();
    const std::uint32_t b = rnd.next();
    const std::uint32_t c = rnd.next();
    const std::uint32_t d = rnd.next();
    return QString::asprintf("%08X-%04X-%04X-%04X-%04X%08X", a, b & 0xffffu, 0x4000u | (b >> 20),
                             0x8000u | (c & 0x3fffu), c >> 16, d);
}

qint64 appleNanos(qint64 unixSeconds, int nanos)
{
    return (unixSeconds - kAppleEpoch) * 1000000000LL + nanos;
}

// Small files that begin the way real ones do; their size is what the
// attachment row says.
QByteArray mediaContent(Random& rnd, const QByteArray& magic)
{
    QByteArray content = magic;
    const int size = rnd.between(1200, 4000);
    while (content.size() < size)
        content += char(rnd.next() & 0xff);
    return content;
}

QByteArray bigEndian64(quint64 v)
{
    QByteArray bytes(8, '\0');
    for (int i = 7; i >= 0; --i, v >>= 8)
        bytes[i] = char(v & 0xff);
    return bytes;
}

QByteArray cafChunk(const char* type, const QByteArray& body)
{
    return QByteArray(type, 4) + bigEndian64(quint64(body.size())) + body;
}

// A voice message as the phone records one: a Core Audio file of AAC at
// 24 kHz, whose packet table tells how long it plays. The packets are
// silence-sized filler; only the headers are meant to be read.
QByteArray voiceMessage(int seconds)
{
    const double rate = 24000;
    quint64 rateBits = 0;
    std::memcpy(&rateBits, &rate, sizeof rateBits);
    auto be32 = [](quint32 v) { return bigEndian64(v).right(4); };
    const qint64 frames = qint64(seconds) * 24000;
    const qint64 packets = (frames + 2112 + 1023) / 1024;
    const QByteArray desc =
        bigEndian64(rateBits) + QByteArray("aac ") + be32(0) + be32(0) + be32(1024) + be32(1) + be32(0);
    const QByteArray pakt = bigEndian64(quint64(packets)) + bigEndian64(quint64(frames)) + be32(2112) + be32(0) +
                            QByteArray(int(packets), '\x06');
    return QByteArray("caff\x00\x01\x00\x00", 8) + cafChunk("desc", desc) + cafChunk("pakt", pakt) +
           cafChunk("data", be32(1) + QByteArray(int(packets) * 6, '\x21'));
}

class Generator
{
public:
    Modern run()
    {
        for (const ChatSeed& seed : kChats)
            addOneToOne(seed);
        for (const ServiceSeed& service : kServices)
            addService(service);
        for (const GroupSeed& group : kGroups)
            addGroup(group);
        addSpecialMessages();
        // The phone numbers its rows in the order messages arrive.
        std::stable_sort(m.messages.begin(), m.messages.end(), [](const Msg& a, const Msg& b) {
            return a.date != b.date ? a.date < b.date : a.nanos < b.nanos;
        });
        return std::move(m);
    }

private:
    int handle(const QString& id, const QString& service, const QString& country)
    {
        const QString key = id + QLatin1Char('|') + service;
        const auto found = m_handles.constFind(key);
        if (found != m_handles.constEnd())
            return found.value();
        m.handles.append({id, service, country});
        m_handles.insert(key, int(m.handles.size() - 1));
        return int(m.handles.size() - 1);
    }

    int oneToOneChat(int handleIndex)
    {
        const Handle& h = m.handles.at(handleIndex);
        Chat chat;
        chat.guid = h.service + QStringLiteral(";-;") + h.id;
        chat.identifier = h.id;
        chat.service = h.service;
        chat.groupId = uuid(rnd);
        chat.members = {handleIndex};
        m.chats.append(chat);
        return int(m.chats.size() - 1);
    }

    // One draw per statement: compilers evaluate the operands of an
    // expression in different orders, and the demo must be the same everywhere.
    qint64 burstStart()
    {
        const qint64 day = rnd.below(kModernDays);
        return kModernStart + day * 86400 + 7 * 3600 + rnd.below(14 * 3600);
    }

    Msg& add(int chat, int handleIndex, bool fromMe, qint64 when, const QString& text)
    {
        Msg msg;
        msg.guid = uuid(rnd);
        msg.chat = chat;
        msg.handle = handleIndex;
        msg.fromMe = fromMe;
        msg.date = when;
        msg.nanos = rnd.below(1000000000);
        msg.service = chat >= 0 ? m.chats.at(chat).service : m.handles.at(handleIndex).service;
        msg.text = text;
        msg.textColumn = (when - kModernStart) / 86400 < kBodyOnlyFromDay || rnd.below(8) == 0;
        // Each U+FFFC stands for a file sent with the text.
        for (const QChar ch : text) {
            if (ch == QChar(0xFFFC))
                msg.attachments.append(addAttachment(fromMe, when));
        }
        m.messages.append(msg);
        return m.messages.last();
    }

    int addAttachment(bool outgoing, qint64 when)
    {
        struct Kind
        {
            const char* prefix;
            const char* extension;
            const char* uti;
            const char* mime;
            QByteArray magic;
        };
        static const Kind kinds[] = {
            {"IMG_", "HEIC", "public.heic", "image/heic",
             QByteArray("\0\0\0\x18"
                        "ftypheic",
                        12)},
            {"IMG_", "JPG", "public.jpeg", "image/jpeg", QByteArray("\xFF\xD8\xFF\xE0\0\x10JFIF", 10)},
            {"IMG_", "MOV", "com.apple.quicktime-movie", "video/quicktime",
             QByteArray("\0\0\0\x14"
                        "ftypqt  ",
                        12)},
            {"Boarding pass ", "pdf", "com.adobe.pdf", "application/pdf", QByteArray("%PDF-1.7\n")},
        };
        const int pick = rnd.below(10);
        const Kind& kind = kinds[pick < 6 ? 0 : pick < 8 ? 1 : pick < 9 ? 2 : 3];
        Attachment a;
        a.guid = QStringLiteral("at_0_") + uuid(rnd);
        const QString number = QString::number(1000 + rnd.below(9000));
        a.transferName = QLatin1String(kind.prefix) + number + QLatin1Char('.') + QLatin1String(kind.extension);
        const QString folder1 = QString::asprintf("%02x", rnd.below(256));
        const QString folder2 = QString::asprintf("%02d", rnd.below(16));
        a.filename = QStringLiteral("~/Library/SMS/Attachments/%1/%2/%3/%4")
                         .arg(folder1, folder2, a.guid.mid(5), a.transferName);
        a.uti = QLatin1String(kind.uti);
        a.mime = QLatin1String(kind.mime);
        a.content = mediaContent(rnd, kind.magic);
        // Every other file is a voice message instead, decided without a
        // draw of its own so that the data's main sequence stays as it was.
        if (pick == 9 && number.toInt() % 2 == 1) {
            a.transferName = QStringLiteral("Audio Message.caf");
            a.filename = QStringLiteral("~/Library/SMS/Attachments/%1/%2/%3/%4")
                             .arg(folder1, folder2, a.guid.mid(5), a.transferName);
            a.uti = QStringLiteral("com.apple.coreaudio-format");
            a.mime = QStringLiteral("audio/x-caf");
            a.content = voiceMessage(3 + number.toInt() % 40);
        }
        // Photos are real pictures, drawn from a seed of their own so that
        // the data's main sequence stays as it was.
        if (pick < 8) {
            const QByteArray picture = demoPicture(qChecksum(a.guid.toLatin1()) ^ (quint32(m.attachments.size()) << 16),
                                                   pick < 6 ? PictureFormat::Heic : PictureFormat::Jpeg);
            if (!picture.isEmpty())
                a.content = picture;
        }
        a.created = when;
        a.outgoing = outgoing;
        m.attachments.append(a);
        return int(m.attachments.size() - 1);
    }

    // Now and then someone reacts to a message of the burst just sent.
    void maybeReact(int chat, const QList<int>& burst, const QList<int>& others)
    {
        if (burst.isEmpty() || rnd.below(4) != 0)
            return;
        const Msg target = m.messages.at(burst.at(rnd.below(int(burst.size()))));
        const bool fromMe = !target.fromMe;
        const int type = 2000 + rnd.below(6);
        QString quoted = target.text;
        quoted.remove(QChar(0xFFFC));
        quoted = quoted.trimmed();
        const QString word = QLatin1String(kReactionWords[type - 2000]);
        const QString text = quoted.isEmpty() ? word + QStringLiteral(" an image")
                                              : word + QStringLiteral(" \u201C") + quoted + QStringLiteral("\u201D");
        const int sender =
            fromMe ? (m.chats.at(chat).style == 45 ? others.first() : -1) : others.at(rnd.below(int(others.size())));
        Msg& reaction = add(chat, sender, fromMe, target.date + 30 + rnd.below(3000), text);
        reaction.associatedType = type;
        reaction.associatedGuid = QStringLiteral("p:0/") + target.guid;
        // A like taken back again.
        if (type == 2001 && !m_removedALike) {
            m_removedALike = true;
            Msg& removal = add(chat, sender, fromMe, reaction.date + 120,
                               QStringLiteral("Removed a like from \u201C") + quoted + QStringLiteral("\u201D"));
            removal.associatedType = 3001;
            removal.associatedGuid = QStringLiteral("p:0/") + target.guid;
        }
    }

    void addOneToOne(const ChatSeed& seed)
    {
        const int h =
            handle(QString::fromUtf8(seed.id), QString::fromUtf8(seed.service), QString::fromUtf8(seed.country));
        const int chat = oneToOneChat(h);
        const Pool texts = poolFor(seed.lang);
        const int bursts = rnd.between(qMin(5, seed.bursts), seed.bursts);
        for (int b = 0; b < bursts; ++b) {
            qint64 when = burstStart();
            bool fromMe = rnd.below(2) == 0;
            QList<int> burst;
            const int length = rnd.between(2, 8);
            for (int i = 0; i < length; ++i) {
                // Replies usually alternate, sometimes one side sends twice.
                if (i > 0 && rnd.below(4) != 0)
                    fromMe = !fromMe;
                const QString text = rnd.below(25) == 0 ? QString(QChar(0xFFFC))
                                                        : QString::fromUtf8(texts.texts[rnd.below(texts.count)]);
                // The phone keeps the chat's handle on sent messages too.
                add(chat, h, fromMe, when, text);
                burst.append(int(m.messages.size() - 1));
                when += 20 + rnd.below(600);
            }
            maybeReact(chat, burst, {h});
        }
    }

    void addService(const ServiceSeed& service)
    {
        const int h = handle(QString::fromUtf8(service.id), QStringLiteral("SMS"),
                             service.country ? QString::fromUtf8(service.country) : QString());
        const int chat = oneToOneChat(h);
        const int count = rnd.between(3, 6);
        for (int i = 0; i < count; ++i) {
            const QString text = QString::fromUtf8(service.texts[rnd.below(3)]);
            add(chat, h, false, burstStart(), text);
        }
    }

    void addGroup(const GroupSeed& seed)
    {
        Chat chat;
        chat.style = 43;
        chat.identifier = QString::fromUtf8(seed.identifier);
        chat.service = QString::fromUtf8(seed.service);
        chat.guid = chat.service + QStringLiteral(";+;") + chat.identifier;
        chat.displayName = QString::fromUtf8(seed.name);
        chat.roomName = chat.identifier;
        chat.groupId = uuid(rnd);
        for (const int member : seed.members) {
            const ChatSeed& c = kChats[member];
            chat.members.append(handle(QString::fromUtf8(c.id), chat.service, QString::fromUtf8(c.country)));
        }
        m.chats.append(chat);
        const int index = int(m.chats.size() - 1);
        const QList<int> members = chat.members;

        // The group's story begins with its events: members added by the
        // owner, and the name given, which are lines, not messages.
        qint64 when = kModernStart + rnd.below(20) * 86400 + 9 * 3600;
        for (int i = 1; i < members.size(); ++i) {
            Msg& added = add(index, -1, true, when, QString());
            added.itemType = 1;
            added.groupAction = 0;
            added.otherHandle = members.at(i);
            when += 5;
        }
        if (!chat.displayName.isEmpty()) {
            Msg& named = add(index, -1, true, when, QString());
            named.itemType = 2;
            named.groupTitle = chat.displayName;
        }

        const Pool texts = poolFor(seed.lang);
        const int bursts = rnd.between(8, 14);
        for (int b = 0; b < bursts; ++b) {
            qint64 at = burstStart();
            QList<int> burst;
            const int length = rnd.between(3, 9);
            for (int i = 0; i < length; ++i) {
                const bool fromMe = rnd.below(4) == 0;
                // In a group the phone names the sender of a received message
                // only; its own messages carry no handle.
                const int sender = fromMe ? -1 : members.at(rnd.below(int(members.size())));
                add(index, sender, fromMe, at, QString::fromUtf8(texts.texts[rnd.below(texts.count)]));
                burst.append(int(m.messages.size() - 1));
                at += 15 + rnd.below(400);
            }
            maybeReact(index, burst, members);
        }
    }

    int chatOf(const char* identifier, const char* service) const
    {
        for (int i = 0; i < m.chats.size(); ++i) {
            if (m.chats.at(i).identifier == QLatin1String(identifier) &&
                m.chats.at(i).service == QLatin1String(service))
                return i;
        }
        return -1;
    }

    void addSpecialMessages()
    {
        const qint64 late = kModernStart + qint64(kModernDays - 20) * 86400 + 18 * 3600;
        // A long text: its attributedBody length takes more than one byte.
        const int emma = chatOf("+447700900123", "iMessage");
        const int emmaHandle = m.chats.at(emma).members.first();
        add(emma, emmaHandle, false, late,
            QStringLiteral(
                "Quick update on the trip: the ferry leaves at 8:15 from pier 3, so let's meet at the "
                "caf\u00E9 by the ticket office at 7:45. Bring a jacket, it gets windy on deck! \u26F4\uFE0F"))
            .textColumn = false;
        // Edited: the phone keeps the latest text.
        Msg& edited =
            add(emma, emmaHandle, true, late + 300, QStringLiteral("Perfect, see you at 7:45 at the caf\u00E9"));
        edited.edited = edited.date + 45;
        edited.textColumn = false;
        // Unsent: the text is gone, the row stays.
        const int james = chatOf("+14155550134", "iMessage");
        Msg& unsent = add(james, m.chats.at(james).members.first(), true, late + 3600, QString());
        unsent.retracted = unsent.date + 20;
        unsent.edited = unsent.retracted;
        add(james, m.chats.at(james).members.first(), true, late + 3660,
            QStringLiteral("Wrong chat, sorry \U0001F648"));
        // Two pictures in one message.
        const int olivia = chatOf("+12095981933", "iMessage");
        add(olivia, m.chats.at(olivia).members.first(), false, late + 7200,
            QStringLiteral("From the top! \uFFFC\uFFFC"));
        // A message the phone filed in no chat: its sender stands for the conversation.
        const int shortCode = handle(QStringLiteral("72000"), QStringLiteral("SMS"), QString());
        add(-1, shortCode, false, late + 9000, QStringLiteral("Your appointment is confirmed for Monday 10:30."));
    }

    Random rnd{20230301};
    Modern m;
    QHash<QString, int> m_handles;
    bool m_removedALike = false;
};

const Modern& modern()
{
    static const Modern data = Generator().run();
    return data;
}

// The columns iOS 16 and later added to the message table.
const char* const kLaterMessageColumns =
    "ALTER TABLE message ADD COLUMN date_edited INTEGER DEFAULT 0;"
    "ALTER TABLE message ADD COLUMN date_retracted INTEGER DEFAULT 0;"
    "ALTER TABLE message ADD COLUMN date_recovered INTEGER DEFAULT 0;"
    "ALTER TABLE message ADD COLUMN part_count INTEGER DEFAULT 0;"
    "ALTER TABLE message ADD COLUMN reply_to_guid TEXT;"
    "ALTER TABLE message ADD COLUMN thread_originator_guid TEXT;"
    "ALTER TABLE message ADD COLUMN is_kt_verified INTEGER DEFAULT 0;"
    "ALTER TABLE message ADD COLUMN is_sos INTEGER DEFAULT 0;"
    "CREATE TABLE chat_recoverable_message_join (chat_id INTEGER REFERENCES chat (ROWID) ON DELETE CASCADE, "
    "message_id INTEGER REFERENCES message (ROWID) ON DELETE CASCADE, delete_date INTEGER, "
    "ck_sync_state INTEGER DEFAULT 0, PRIMARY KEY (chat_id, message_id), CHECK (delete_date != 0));"
    "CREATE TABLE recoverable_message_part (chat_id INTEGER REFERENCES chat (ROWID) ON DELETE CASCADE, "
    "message_id INTEGER REFERENCES message (ROWID) ON DELETE CASCADE, part_index INTEGER, delete_date INTEGER, "
    "part_text BLOB NOT NULL, ck_sync_state INTEGER DEFAULT 0, PRIMARY KEY (chat_id, message_id, part_index), "
    "CHECK (delete_date != 0));";

bool fillModernMessages(Db& db, qint64 cutoff, QString* error)
{
    const Modern& data = modern();
    sqlite3_stmt* handle = db.prepare("INSERT INTO handle (ROWID, id, country, service, uncanonicalized_id, "
                                      "person_centric_id) VALUES (?, ?, ?, ?, NULL, NULL)",
                                      error);
    sqlite3_stmt* chat = db.prepare("INSERT INTO chat (ROWID, guid, style, state, account_id, chat_identifier, "
                                    "service_name, room_name, account_login, last_addressed_handle, display_name, "
                                    "group_id, is_filtered, successful_query) "
                                    "VALUES (?, ?, ?, 3, ?, ?, ?, ?, ?, ?, ?, ?, 0, 1)",
                                    error);
    sqlite3_stmt* member = db.prepare("INSERT INTO chat_handle_join (chat_id, handle_id) VALUES (?, ?)", error);
    sqlite3_stmt* message = db.prepare(
        "INSERT INTO message (ROWID, guid, text, handle_id, attributedBody, service, account, account_guid, date, "
        "date_read, date_delivered, is_delivered, is_finished, is_from_me, is_read, is_sent, item_type, "
        "other_handle, group_title, group_action_type, associated_message_guid, associated_message_type, "
        "destination_caller_id, date_edited, date_retracted, is_empty, part_count) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, 1, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, "
        "?22, ?23, ?24, ?25, ?26)",
        error);
    sqlite3_stmt* join =
        db.prepare("INSERT INTO chat_message_join (chat_id, message_id, message_date) VALUES (?, ?, ?)", error);
    sqlite3_stmt* attachment = db.prepare(
        "INSERT INTO attachment (ROWID, guid, created_date, start_date, filename, uti, mime_type, transfer_state, "
        "is_outgoing, transfer_name, total_bytes, original_guid) VALUES (?, ?, ?, 0, ?, ?, ?, 5, ?, ?, ?, ?)",
        error);
    sqlite3_stmt* attach =
        db.prepare("INSERT INTO message_attachment_join (message_id, attachment_id) VALUES (?, ?)", error);
    bool ok = handle && chat && member && message && join && attachment && attach;

    for (int i = 0; ok && i < data.handles.size(); ++i) {
        const Handle& h = data.handles.at(i);
        sqlite3_bind_int(handle, 1, i + 1);
        bindText(handle, 2, h.id);
        bindTextOrNull(handle, 3, h.country.isEmpty() ? QString() : h.country);
        bindText(handle, 4, h.service);
        ok = step(db, handle, error);
    }
    const QString accountGuid = QStringLiteral("6E0B3C5A-2F1D-4E8B-9A7C-5D3E2F1A0B9C");
    for (int i = 0; ok && i < data.chats.size(); ++i) {
        const Chat& c = data.chats.at(i);
        const bool imessage = c.service == QLatin1String("iMessage");
        sqlite3_bind_int(chat, 1, i + 1);
        bindText(chat, 2, c.guid);
        sqlite3_bind_int(chat, 3, c.style);
        bindText(chat, 4, accountGuid);
        bindText(chat, 5, c.identifier);
        bindText(chat, 6, c.service);
        bindTextOrNull(chat, 7, c.roomName);
        bindText(chat, 8,
                 imessage ? QStringLiteral("E:") + QLatin1String(kOwnAccount)
                          : QStringLiteral("P:") + QLatin1String(kOwnNumber));
        bindText(chat, 9, imessage ? QLatin1String(kOwnAccount) : QLatin1String(kOwnNumber));
        // Empty, not NULL, for a chat without a name, as the phone writes it.
        bindText(chat, 10, c.displayName);
        bindText(chat, 11, c.groupId);
        ok = step(db, chat, error);
        for (int j = 0; ok && j < c.members.size(); ++j) {
            sqlite3_bind_int(member, 1, i + 1);
            sqlite3_bind_int(member, 2, c.members.at(j) + 1);
            ok = step(db, member, error);
        }
    }

    const qint64 unreadAfter = (cutoff < 0 ? modernNewestDate() : cutoff) - 2 * 86400;
    for (int i = 0; ok && i < data.messages.size(); ++i) {
        const Msg& msg = data.messages.at(i);
        if (cutoff >= 0 && msg.date > cutoff)
            break;
        const qint64 rowId = i + 1;
        const qint64 date = appleNanos(msg.date, msg.nanos);
        const bool imessage = msg.service == QLatin1String("iMessage");
        const bool read = msg.fromMe || msg.date <= unreadAfter;
        sqlite3_bind_int64(message, 1, rowId);
        bindText(message, 2, msg.guid);
        bindTextOrNull(message, 3, msg.textColumn ? msg.text : QString());
        sqlite3_bind_int(message, 4, msg.handle + 1);
        const QByteArray body = msg.text.isEmpty() ? QByteArray() : attributedbody::encode(msg.text.toUtf8());
        if (body.isEmpty())
            sqlite3_bind_null(message, 5);
        else
            sqlite3_bind_blob(message, 5, body.constData(), int(body.size()), SQLITE_TRANSIENT);
        bindText(message, 6, msg.service);
        bindText(message, 7,
                 imessage ? QStringLiteral("e:") + QLatin1String(kOwnAccount)
                          : QStringLiteral("p:") + QLatin1String(kOwnNumber));
        bindText(message, 8, accountGuid);
        sqlite3_bind_int64(message, 9, date);
        sqlite3_bind_int64(message, 10, !msg.fromMe && read ? date + 60000000000LL : 0);
        sqlite3_bind_int64(message, 11, msg.fromMe ? date + 2000000000LL : 0);
        sqlite3_bind_int(message, 12, msg.fromMe ? 1 : 0);
        sqlite3_bind_int(message, 13, msg.fromMe ? 1 : 0);
        sqlite3_bind_int(message, 14, read ? 1 : 0);
        sqlite3_bind_int(message, 15, msg.fromMe ? 1 : 0);
        sqlite3_bind_int(message, 16, msg.itemType);
        sqlite3_bind_int(message, 17, msg.otherHandle + 1);
        bindTextOrNull(message, 18, msg.groupTitle.isEmpty() ? QString() : msg.groupTitle);
        sqlite3_bind_int(message, 19, msg.groupAction);
        bindTextOrNull(message, 20, msg.associatedGuid);
        sqlite3_bind_int(message, 21, msg.associatedType);
        bindText(message, 22, imessage ? QLatin1String(kOwnAccount) : QLatin1String(kOwnNumber));
        sqlite3_bind_int64(message, 23, msg.edited ? appleNanos(msg.edited, 0) : 0);
        sqlite3_bind_int64(message, 24, msg.retracted ? appleNanos(msg.retracted, 0) : 0);
        sqlite3_bind_int(message, 25, msg.retracted ? 1 : 0);
        sqlite3_bind_int(message, 26, msg.text.isEmpty() ? 0 : 1);
        ok = step(db, message, error);
        if (ok && msg.chat >= 0) {
            sqlite3_bind_int(join, 1, msg.chat + 1);
            sqlite3_bind_int64(join, 2, rowId);
            sqlite3_bind_int64(join, 3, date);
            ok = step(db, join, error);
        }
        for (int j = 0; ok && j < msg.attachments.size(); ++j) {
            const int index = msg.attachments.at(j);
            const Attachment& a = data.attachments.at(index);
            sqlite3_bind_int(attachment, 1, index + 1);
            bindText(attachment, 2, a.guid);
            sqlite3_bind_int64(attachment, 3, a.created - kAppleEpoch);
            bindText(attachment, 4, a.filename);
            bindText(attachment, 5, a.uti);
            bindText(attachment, 6, a.mime);
            sqlite3_bind_int(attachment, 7, a.outgoing ? 1 : 0);
            bindText(attachment, 8, a.transferName);
            sqlite3_bind_int64(attachment, 9, a.content.size());
            bindText(attachment, 10, a.guid);
            ok = step(db, attachment, error);
            if (ok) {
                sqlite3_bind_int64(attach, 1, rowId);
                sqlite3_bind_int(attach, 2, index + 1);
                ok = step(db, attach, error);
            }
        }
    }
    for (sqlite3_stmt* stmt : {handle, chat, member, message, join, attachment, attach})
        sqlite3_finalize(stmt);
    return ok;
}

QString personName(const BookPerson& p)
{
    if (!p.first && !p.last)
        return QString::fromUtf8(p.organization);
    return (QString::fromUtf8(p.first) + QLatin1Char(' ') + QString::fromUtf8(p.last)).trimmed();
}

} // namespace

namespace detail {

qint64 modernFirstDate()
{
    return kModernStart;
}

bool addModernBackupContacts(const QString& path, QString* error)
{
    QList<QPair<QString, QString>> rows;
    for (const BookPerson& p : kBook) {
        for (const BookValue& v : p.values) {
            if (v.value)
                rows.append({personName(p), QString::fromUtf8(v.value)});
        }
    }
    return writeBackupContacts(path, rows, error);
}

} // namespace detail

qint64 modernNewestDate()
{
    const QList<Msg>& all = modern().messages;
    return all.isEmpty() ? kModernStart : all.constLast().date;
}

QList<MediaFile> modernMediaFiles()
{
    QList<MediaFile> files;
    for (const Attachment& a : modern().attachments)
        files.append({a.filename.mid(2), a.content});
    return files;
}

bool writeModernMessageDb(const QString& path, qint64 cutoff, QString* error)
{
    const QByteArray schema = schemaFile(QStringLiteral("modern-sms-ios13.sql"));
    if (schema.isEmpty()) {
        setError(error, QStringLiteral("The message schema is missing from the program"));
        return false;
    }
    Db db;
    if (!db.open(path, error))
        return false;
    // The phone's attachment triggers: while filling, stand-ins that do nothing.
    phonedb::registerAttachmentPathStandIns(db.handle(), phonedb::StandIn::Null);
    return phonedb::loadSchema(db.handle(), schema, error) && db.exec(kLaterMessageColumns, error) &&
           db.exec("BEGIN", error) && fillModernMessages(db, cutoff, error) && db.exec("COMMIT", error);
}

bool writeModernAddressBook(const QString& path, QString* error)
{
    const QByteArray schema = schemaFile(QStringLiteral("addressbook-ios15.sql"));
    if (schema.isEmpty()) {
        setError(error, QStringLiteral("The address book schema is missing from the program"));
        return false;
    }
    // Declared before the connection, which may use it until it closes.
    Random defaults(4242);
    Db db;
    if (!db.open(path, error))
        return false;
    // The address book's default guids come from the writer's own generator,
    // so that a row left to its default is the same on every run too.
    phonedb::registerAddressBookStandIns(db.handle(), [&defaults] { return uuid(defaults).toLatin1(); });
    if (!phonedb::loadSchema(db.handle(), schema, error) || !db.exec("BEGIN", error) ||
        !db.exec("INSERT INTO ABStore (ROWID, Name, Type, guid) VALUES (0, 'Local', 0, "
                 "'2B7D4F1E-9C3A-4E5B-8D6F-1A2C3E4B5D6F')",
                 error)) {
        return false;
    }
    Random rnd(15);
    sqlite3_stmt* person =
        db.prepare("INSERT INTO ABPerson (ROWID, First, Last, Organization, Kind, StoreID, FirstSort, LastSort, "
                   "CreationDate, ModificationDate, guid) VALUES (?, ?, ?, ?, ?, 0, ?, ?, ?, ?, ?)",
                   error);
    sqlite3_stmt* value = db.prepare("INSERT INTO ABMultiValue (UID, record_id, property, identifier, label, value, "
                                     "guid) VALUES (?, ?, ?, ?, (SELECT ROWID FROM ABMultiValueLabel WHERE value = ?), "
                                     "?, ?)",
                                     error);
    sqlite3_stmt* label = db.prepare("INSERT INTO ABMultiValueLabel (value) VALUES (?)", error);
    bool ok = person && value && label;
    for (const char* l : kLabels) {
        if (!ok)
            break;
        bindText(label, 1, QString::fromUtf8(l));
        ok = step(db, label, error);
    }
    int uid = 1;
    int id = 1;
    for (const BookPerson& p : kBook) {
        if (!ok)
            break;
        const QString first = p.first ? QString::fromUtf8(p.first) : QString();
        const QString last = p.last ? QString::fromUtf8(p.last) : QString();
        const QString org = p.organization ? QString::fromUtf8(p.organization) : QString();
        const qint64 created = 600000000 + rnd.below(90000000);
        sqlite3_bind_int(person, 1, id);
        bindTextOrNull(person, 2, first);
        bindTextOrNull(person, 3, last);
        bindTextOrNull(person, 4, org);
        // Kind 1 is a card for an organisation.
        sqlite3_bind_int(person, 5, p.first || p.last ? 0 : 1);
        bindText(person, 6, personName(p));
        bindText(person, 7, last.isEmpty() ? personName(p) : last + QLatin1Char(' ') + first);
        sqlite3_bind_int64(person, 8, created);
        sqlite3_bind_int64(person, 9, created + rnd.below(5000000));
        bindText(person, 10, uuid(rnd) + QStringLiteral(":ABPerson"));
        ok = step(db, person, error);
        int identifier = 0;
        for (const BookValue& v : p.values) {
            if (!ok || !v.value)
                continue;
            sqlite3_bind_int(value, 1, uid++);
            sqlite3_bind_int(value, 2, id);
            sqlite3_bind_int(value, 3, v.property);
            sqlite3_bind_int(value, 4, identifier++);
            bindText(value, 5, QString::fromUtf8(v.label));
            bindText(value, 6, QString::fromUtf8(v.value));
            bindText(value, 7, uuid(rnd));
            ok = step(db, value, error);
        }
        ++id;
    }
    sqlite3_finalize(person);
    sqlite3_finalize(value);
    sqlite3_finalize(label);
    return ok && db.exec("COMMIT", error);
}

} // namespace demodata
