#include "DemoData.h"

#include "DemoDataInternal.h"
#include "PhoneDb.h"
#include "PhoneSchemas.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTimeZone>

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>

namespace demodata {

using namespace detail;

namespace {

struct PersonSeed
{
    const char* first;
    const char* last;
    const char* bookNumber;
    const char* messageAddress; // how the phone wrote the other side's number
    Lang lang;
    const char* email;
};

// Book numbers carry dashes and prefixes; message addresses are what the
// network delivered. Their last 11 digits agree, which is what the name
// lookup compares.
const PersonSeed kPeople[] = {
    {"伟", "王", "138-1234-5678", "+8613812345678", Zh, nullptr},
    {"芳", "李", "+86-139-8765-4321", "13987654321", Zh, nullptr},
    {"小明", "张", "186-0011-2233", "+8618600112233", Zh, nullptr},
    {"静", "刘", "135-2468-1357", "13524681357", Zh, nullptr},
    {"Emma", "Thompson", "+44-7700-900123", "+447700900123", En, nullptr},
    {"James", "Carter", "+1-415-555-0134", "+14155550134", En, nullptr},
    {"Olivia", "Bennett", "+1-212-555-0199", "+12125550199", En, nullptr},
    {"Noah", "Patel", "+44-7700-900456", "+447700900456", En, nullptr},
    {"Sophie", "Martin", "+33-6-12-34-56-78", "+33612345678", Fr, nullptr},
    {"Lucas", "Dubois", "+33-6-98-76-54-32", "+33698765432", Fr, nullptr},
    {"Chloé", "Lefèvre", "+33-7-55-44-33-22", "+33755443322", Fr, nullptr},
    {"Jürgen", "Müller", "+49-151-2345-6789", "+4915123456789", De, nullptr},
    {"Anna", "Schröder", "+49-170-9876543", "+491709876543", De, nullptr},
    {"Lukas", "Weiß", "+49-160-1122334", "+491601122334", De, nullptr},
    {"María", "García", "+34-612-345-678", "+34612345678", Es, nullptr},
    {"Javier", "Fernández", "+34-699-887-766", "+34699887766", Es, nullptr},
    {"Lucía", "Martínez", "+34-655-443-322", "+34655443322", Es, nullptr},
    {"Mom", "", "+86-136-0000-8888", "13600008888", Zh, nullptr},
    {"Dad", "", "+86-137-0000-9999", "+8613700009999", Zh, nullptr},
    {"Grace", "O'Neill", "+353-87-123-4567", "+353871234567", En, "grace.oneill@example.org"},
    {"Hiroshi", "Tanaka", "+81-90-1234-5678", "+819012345678", En, nullptr},
    {"Zoë", "Van der Berg", "+31-6-1234-5678", "+31612345678", En, nullptr},
    {"Office", "Front desk", "010-8888-6666", "01088886666", Zh, nullptr},
    {"Pizza", "Roma", "+44-20-7946-0321", "+442079460321", En, nullptr},
};

// Numbers that are not in the address book.
const char* const kStrangers[] = {"+8615900001111", "+447911123456", "+16505550123", "+33645001122", "18912345670"};

const char* const kEnglish[] = {
    "Hey, are you free tonight?",
    "Running 10 minutes late, sorry!",
    "Can you pick up milk on the way home?",
    "Happy birthday!! 🎉🎂",
    "Thanks for yesterday, it was great fun",
    "Did you see the game last night?",
    "I'll call you after the meeting",
    "Sounds good 👍",
    "What time does the train leave?",
    "Just landed, heading to the hotel now",
    "Don't forget the dentist appointment tomorrow at 9",
    "Love you ❤️",
    "The keys are under the mat",
    "Can we move lunch to Thursday?",
    "Ok see you there",
    "Here's the photo from the party \xEF\xBF\xBC",
    "Haha that's hilarious 😂",
    "Traffic is terrible, taking the back road",
    "Are we still on for the weekend?",
    "Got it, thanks!",
    "Where did you park?",
    "Please send me the address again",
    "I'm outside",
    "Dinner's ready when you get home",
    "Good luck with the interview today!",
    "No worries, take your time",
    "Let me check and get back to you",
    "Bring an umbrella, it's pouring here ☔",
};

const char* const kChinese[] = {
    "晚上一起吃饭吗？",
    "我到楼下了",
    "好的，没问题",
    "明天几点开会？",
    "路上堵车，晚点到",
    "生日快乐！🎂",
    "记得带伞，外面下雨了",
    "周末回家吃饭吧",
    "收到，谢谢！",
    "你到家了吗？",
    "妈，我这周末回去",
    "钥匙放在门口了",
    "在忙，稍后给你回电话",
    "这是昨天拍的照片 \xEF\xBF\xBC",
    "哈哈哈哈 😂",
    "票已经订好了，下午三点的高铁",
    "早点休息，晚安",
    "快递到了吗？",
    "今天天气真好 ☀️",
    "我在超市，还要买什么？",
    "新年快乐，万事如意！",
    "会议改到下周二了",
    "你吃饭了吗？",
    "好的，路上注意安全",
};

const char* const kFrench[] = {
    "Salut ! Tu es dispo ce soir ?",
    "J'arrive dans 5 minutes",
    "Merci beaucoup pour hier soir 😊",
    "On se retrouve au café à midi ?",
    "Bon anniversaire ! 🎉",
    "Je suis en retard, désolé",
    "N'oublie pas le pain en rentrant",
    "C'est noté, à demain",
    "Tu as vu le match ?",
    "Bisous ❤️",
    "Le train est annulé, je prends le suivant",
    "Voilà la photo \xEF\xBF\xBC",
    "D'accord, ça marche",
    "Il fait un temps magnifique à Nice ☀️",
    "Appelle-moi quand tu peux",
    "Bonne soirée !",
    "Où est-ce qu'on se gare ?",
    "Je t'envoie l'adresse tout de suite",
};

const char* const kGerman[] = {
    "Hallo! Hast du heute Abend Zeit?",
    "Bin in 10 Minuten da",
    "Danke für gestern, war super!",
    "Alles Gute zum Geburtstag! 🎂",
    "Der Zug hat Verspätung 🙄",
    "Kannst du Brötchen mitbringen?",
    "Treffen wir uns um 8 vor dem Kino?",
    "Gute Nacht, schlaf gut",
    "Ich ruf dich später an",
    "Passt, bis morgen!",
    "Hier das Foto vom Wochenende \xEF\xBF\xBC",
    "Schöne Grüße aus München",
    "Weißt du, wo der Schlüssel ist?",
    "Ja, klingt gut 👍",
    "Ich schaff's heute leider nicht",
    "Wie war die Prüfung?",
};

const char* const kSpanish[] = {
    "¡Hola! ¿Quedamos esta noche?",
    "Llego en diez minutos",
    "¡Feliz cumpleaños! 🎉🎂",
    "Gracias por todo, de verdad",
    "¿A qué hora es la cena?",
    "Estoy en el metro, ahora te llamo",
    "Vale, perfecto",
    "¿Has visto el partido? ¡Qué golazo! ⚽",
    "Te mando la foto \xEF\xBF\xBC",
    "Buenas noches, un beso",
    "No te olvides de la reunión del lunes",
    "Hace un calor increíble hoy ☀️",
    "Vamos a la playa el sábado?",
    "¡Qué bien! Me alegro mucho",
    "Perdona, no vi tu mensaje",
    "Nos vemos mañana en la oficina",
};

template <int N> Pool pool(const char* const (&texts)[N])
{
    return {texts, N};
}

struct ServiceSeed
{
    const char* address;
    const char* const texts[4];
};

// Short service numbers only ever send.
const ServiceSeed kServices[] = {
    {"10086",
     {"【话费提醒】您本月话费余额为32.50元，请及时充值。", "您的流量套餐已使用80%，剩余1.2GB。",
      "尊敬的客户，您已成功办理国际漫游业务。", "【账单】您12月账单金额为88.00元。"}},
    {"95588",
     {"【工商银行】您尾号6789的卡于09:12支出人民币256.00元。", "【工商银行】您尾号6789的卡收入工资8,500.00元。",
      "【工商银行】您的验证码为482913，请勿泄露。", "【工商银行】您尾号6789的卡于20:45支出人民币39.90元。"}},
    {"106575",
     {"Your verification code is 731920. Do not share it with anyone.", "Votre code de vérification est 118204.",
      "Ihr Bestätigungscode lautet 550187.", "Tu código de verificación es 904417."}},
};

// 2013-01-04 16:00 UTC, midnight in Beijing: the first day of the demo.
constexpr qint64 kStart = 1357315200;
constexpr int kDays = 300;

struct Generated
{
    QList<Person> people;
    QList<Conversation> conversations;
    QList<Message> messages;
};

Generated generate()
{
    Generated g;
    Random rnd(20130105);

    for (const PersonSeed& seed : kPeople) {
        Person p;
        p.first = QString::fromUtf8(seed.first);
        p.last = QString::fromUtf8(seed.last);
        p.bookNumber = QString::fromUtf8(seed.bookNumber);
        if (seed.email)
            p.email = QString::fromUtf8(seed.email);
        g.people.append(p);
    }

    struct Talk
    {
        QString address;    // without dashes
        QString dashedForm; // sometimes written this way by the phone
        Pool texts;
        int bursts;
        bool serviceOnly;
        int serviceIndex;
    };
    QList<Talk> talks;
    int personIndex = 0;
    for (const PersonSeed& seed : kPeople) {
        const QString address = QString::fromUtf8(seed.messageAddress);
        Conversation c;
        c.address = address;
        c.personIndex = personIndex++;
        g.conversations.append(c);
        // One German number also reaches the phone written with dashes: the
        // two spellings must still form one conversation.
        const QString dashed =
            address == QLatin1String("+4915123456789") ? QStringLiteral("+49-151-2345-6789") : QString();
        talks.append({address, dashed, poolFor(seed.lang), rnd.between(6, 16), false, -1});
    }
    for (const char* stranger : kStrangers) {
        Conversation c;
        c.address = QString::fromUtf8(stranger);
        g.conversations.append(c);
        talks.append({c.address, QString(), pool(kEnglish), rnd.between(1, 2), false, -1});
    }
    int serviceIndex = 0;
    for (const ServiceSeed& service : kServices) {
        Conversation c;
        c.address = QString::fromUtf8(service.address);
        g.conversations.append(c);
        talks.append({c.address, QString(), pool(kChinese), rnd.between(4, 7), true, serviceIndex++});
    }
    for (int i = 0; i < g.conversations.size(); ++i)
        g.conversations[i].groupId = i + 1;

    // Bursts of messages minutes apart, scattered over the months.
    for (int t = 0; t < talks.size(); ++t) {
        const Talk& talk = talks.at(t);
        for (int b = 0; b < talk.bursts; ++b) {
            // One draw per statement: the order in which the operands of an
            // expression are evaluated differs between compilers.
            const qint64 day = rnd.below(kDays);
            qint64 when = kStart + day * 86400 + 7 * 3600 + qint64(rnd.below(16 * 3600));
            const int length = talk.serviceOnly ? 1 : rnd.between(2, 9);
            int lastFlags = rnd.below(2) ? 2 : 3;
            for (int m = 0; m < length; ++m) {
                Message msg;
                msg.groupId = g.conversations.at(t).groupId;
                msg.address = (!talk.dashedForm.isEmpty() && rnd.below(3) == 0) ? talk.dashedForm : talk.address;
                msg.date = when;
                if (talk.serviceOnly) {
                    msg.flags = 2;
                    msg.text = QString::fromUtf8(kServices[talk.serviceIndex].texts[rnd.below(4)]);
                } else {
                    // Replies usually alternate, sometimes one side sends twice.
                    msg.flags = rnd.below(4) == 0 ? lastFlags : (lastFlags == 2 ? 3 : 2);
                    msg.text = QString::fromUtf8(talk.texts.texts[rnd.below(talk.texts.count)]);
                }
                lastFlags = msg.flags;
                g.messages.append(msg);
                when += 20 + rnd.below(600);
            }
        }
    }

    // The phone numbers its rows in the order messages arrive.
    std::stable_sort(g.messages.begin(), g.messages.end(),
                     [](const Message& a, const Message& b) { return a.date < b.date; });
    for (int i = 0; i < g.messages.size(); ++i)
        g.messages[i].rowId = i + 1;
    return g;
}

const Generated& generated()
{
    static const Generated g = generate();
    return g;
}

QString countryOf(const QString& address)
{
    if (address.startsWith(QLatin1String("+44")))
        return QStringLiteral("gb");
    if (address.startsWith(QLatin1String("+1")))
        return QStringLiteral("us");
    if (address.startsWith(QLatin1String("+33")))
        return QStringLiteral("fr");
    if (address.startsWith(QLatin1String("+49")))
        return QStringLiteral("de");
    if (address.startsWith(QLatin1String("+34")))
        return QStringLiteral("es");
    return QStringLiteral("cn");
}

bool fillMessages(Db& db, qint64 cutoff, QString* error)
{
    const Generated& g = generated();
    sqlite3_stmt* group = db.prepare("INSERT INTO msg_group (ROWID, type, newest_message, unread_count, hash) "
                                     "VALUES (?, 0, 0, 0, ?)",
                                     error);
    sqlite3_stmt* member = db.prepare("INSERT INTO group_member (group_id, address, country) VALUES (?, ?, ?)", error);
    sqlite3_stmt* message =
        db.prepare("INSERT INTO message (ROWID, address, date, text, flags, replace, svc_center, group_id, "
                   "association_id, height, UIFlags, version, subject, country, headers, recipients, read) "
                   "VALUES (?, ?, ?, ?, ?, 0, NULL, ?, 0, 0, 0, 0, NULL, ?, NULL, NULL, ?)",
                   error);
    bool ok = group && member && message;
    for (int i = 0; ok && i < g.conversations.size(); ++i) {
        const Conversation& c = g.conversations.at(i);
        sqlite3_bind_int(group, 1, c.groupId);
        sqlite3_bind_int64(group, 2, qHash(c.address) & 0x7fffffff);
        ok = step(db, group, error);
        if (ok) {
            sqlite3_bind_int(member, 1, c.groupId);
            bindText(member, 2, c.address);
            bindText(member, 3, countryOf(c.address));
            ok = step(db, member, error);
        }
    }
    // The newest few incoming messages stay unread, as on a phone in use.
    const qint64 unreadAfter = (cutoff < 0 ? newestDate() : cutoff) - 3 * 86400;
    for (int i = 0; ok && i < g.messages.size(); ++i) {
        const Message& m = g.messages.at(i);
        if (cutoff >= 0 && m.date > cutoff)
            break;
        sqlite3_bind_int(message, 1, m.rowId);
        bindText(message, 2, m.address);
        sqlite3_bind_int64(message, 3, m.date);
        bindText(message, 4, m.text);
        sqlite3_bind_int(message, 5, m.flags);
        sqlite3_bind_int(message, 6, m.groupId);
        bindText(message, 7, countryOf(m.address));
        sqlite3_bind_int(message, 8, (m.flags == 2 && m.date > unreadAfter) ? 0 : 1);
        ok = step(db, message, error);
    }
    sqlite3_finalize(group);
    sqlite3_finalize(member);
    sqlite3_finalize(message);
    return ok;
}

// The contact table of a backup file: "first last" and the number without dashes.
bool addBackupContacts(const QString& path, QString* error)
{
    QList<QPair<QString, QString>> rows;
    for (const Person& p : generated().people)
        rows.append({p.first + QLatin1Char(' ') + p.last, p.email.isEmpty() ? withoutDashes(p.bookNumber) : p.email});
    return detail::writeBackupContacts(path, rows, error);
}

} // namespace

namespace detail {

bool writeBackupContacts(const QString& path, const QList<QPair<QString, QString>>& rows, QString* error)
{
    Db db;
    if (!db.openExisting(path, error) ||
        !db.exec("create table AddressBook111(name varchar(100), tel varchar(100));", error)) {
        return false;
    }
    sqlite3_stmt* insert = db.prepare("insert into AddressBook111 values(?, ?)", error);
    bool ok = insert && db.exec("BEGIN", error);
    for (const auto& row : rows) {
        if (!ok)
            break;
        bindText(insert, 1, row.first);
        bindText(insert, 2, row.second);
        ok = step(db, insert, error);
    }
    sqlite3_finalize(insert);
    return ok && db.exec("COMMIT", error);
}

Pool poolFor(Lang lang)
{
    switch (lang) {
    case Zh:
        return pool(kChinese);
    case Fr:
        return pool(kFrench);
    case De:
        return pool(kGerman);
    case Es:
        return pool(kSpanish);
    case En:
        break;
    }
    return pool(kEnglish);
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QByteArray schemaFile(const QString& name)
{
    return phoneschemas::statements(name);
}

Db::~Db()
{
    if (m_db)
        sqlite3_close(m_db);
}

bool Db::open(const QString& path, QString* error)
{
    m_db = phonedb::create(path, error);
    return m_db != nullptr;
}

bool Db::openExisting(const QString& path, QString* error)
{
    m_db = phonedb::open(path, SQLITE_OPEN_READWRITE, error);
    return m_db != nullptr;
}

bool Db::exec(const QByteArray& sql, QString* error)
{
    return phonedb::exec(m_db, sql, error);
}

sqlite3_stmt* Db::prepare(const char* sql, QString* error)
{
    return phonedb::prepare(m_db, sql, error);
}

QString Db::lastError() const
{
    return phonedb::lastError(m_db);
}

void bindText(sqlite3_stmt* stmt, int index, const QString& text)
{
    // Empty text, never NULL, also for a null QString.
    phonedb::bind(stmt, index, text.isNull() ? QString(QLatin1String("")) : text);
}

void bindTextOrNull(sqlite3_stmt* stmt, int index, const QString& text)
{
    phonedb::bind(stmt, index, text.isNull() ? QVariant() : QVariant(text));
}

bool step(Db& db, sqlite3_stmt* stmt, QString* error)
{
    return phonedb::step(db.handle(), stmt, error);
}

} // namespace detail

const QList<Person>& people()
{
    return generated().people;
}

const QList<Conversation>& conversations()
{
    return generated().conversations;
}

const QList<Message>& messages()
{
    return generated().messages;
}

qint64 newestDate()
{
    const QList<Message>& all = messages();
    return all.isEmpty() ? kStart : all.constLast().date;
}

QString withoutDashes(const QString& number)
{
    QString plain = number;
    return plain.remove(QLatin1Char('-'));
}

bool writeMessageDb(const QString& path, qint64 cutoff, QString* error)
{
    const QByteArray schema = schemaFile(QStringLiteral("legacy-sms-ios4.sql"));
    if (schema.isEmpty()) {
        setError(error, QStringLiteral("The message schema is missing from the program"));
        return false;
    }
    Db db;
    if (!db.open(path, error))
        return false;
    // The message triggers call read(flags); the phone's own answer will do while filling.
    phonedb::registerRead(db.handle(), phonedb::StandIn::FlagsBit0);
    if (!phonedb::loadSchema(db.handle(), schema, error) || !db.exec("BEGIN", error))
        return false;
    if (!db.exec("INSERT INTO _SqliteDatabaseProperties VALUES ('_ClientVersion', '7'), "
                 "('counter_in_all', '0'), ('counter_out_all', '0')",
                 error) ||
        !fillMessages(db, cutoff, error) ||
        // The triggers counted every incoming row; the phone counts only the unread ones.
        !db.exec("UPDATE msg_group SET unread_count = (SELECT count(*) FROM message "
                 "WHERE message.group_id = msg_group.ROWID AND message.read = 0)",
                 error) ||
        !db.exec("COMMIT", error)) {
        return false;
    }
    return true;
}

bool writeAddressBook(const QString& path, QString* error)
{
    const QByteArray schema = schemaFile(QStringLiteral("addressbook-ios5.sql"));
    if (schema.isEmpty()) {
        setError(error, QStringLiteral("The address book schema is missing from the program"));
        return false;
    }
    Db db;
    if (!db.open(path, error) || !phonedb::loadSchema(db.handle(), schema, error) || !db.exec("BEGIN", error))
        return false;
    sqlite3_stmt* person = db.prepare("INSERT INTO ABPerson (ROWID, First, Last, Kind, StoreID, DisplayName) "
                                      "VALUES (?, ?, ?, 0, 0, ?)",
                                      error);
    sqlite3_stmt* value = db.prepare("INSERT INTO ABMultiValue (record_id, property, identifier, label, value) "
                                     "VALUES (?, ?, ?, ?, ?)",
                                     error);
    bool ok = person && value &&
              db.exec("INSERT INTO ABMultiValueLabel VALUES ('_$!<Mobile>!$_'), "
                      "('_$!<Home>!$_'), ('_$!<Work>!$_')",
                      error);
    const QList<Person>& all = people();
    for (int i = 0; ok && i < all.size(); ++i) {
        const Person& p = all.at(i);
        const int id = i + 1;
        sqlite3_bind_int(person, 1, id);
        bindText(person, 2, p.first);
        if (p.last.isEmpty())
            sqlite3_bind_null(person, 3);
        else
            bindText(person, 3, p.last);
        bindText(person, 4, (p.first + QLatin1Char(' ') + p.last).trimmed());
        ok = step(db, person, error);
        int identifier = 0;
        auto addValue = [&](int property, int label, const QString& text) {
            sqlite3_bind_int(value, 1, id);
            sqlite3_bind_int(value, 2, property);
            sqlite3_bind_int(value, 3, identifier++);
            sqlite3_bind_int(value, 4, label);
            bindText(value, 5, text);
            return step(db, value, error);
        };
        // Property 4 is an e-mail address, 3 a phone number.
        if (ok && !p.email.isEmpty())
            ok = addValue(4, 2, p.email);
        if (ok)
            ok = addValue(3, 1, p.bookNumber);
    }
    sqlite3_finalize(person);
    sqlite3_finalize(value);
    return ok && db.exec("COMMIT", error);
}

bool writePhone(const QString& folder, QString* error)
{
    return writePhone(folder, Layout::Legacy, error);
}

bool writePhone(const QString& folder, Layout layout, QString* error)
{
    if (!QDir().mkpath(folder)) {
        setError(error, QStringLiteral("Cannot create the folder %1").arg(folder));
        return false;
    }
    const QString sms = folder + QStringLiteral("/sms.db");
    const QString book = folder + QStringLiteral("/AddressBook.sqlitedb");
    if (layout == Layout::Modern)
        return writeModernMessageDb(sms, -1, error) && writeModernAddressBook(book, error);
    return writeMessageDb(sms, -1, error) && writeAddressBook(book, error);
}

QStringList writeBackups(const QString& folder, int count, QString* error)
{
    return writeBackups(folder, count, Layout::Legacy, error);
}

QStringList writeBackups(const QString& folder, int count, Layout layout, QString* error)
{
    QStringList written;
    if (count <= 0)
        return written;
    if (!QDir().mkpath(folder)) {
        setError(error, QStringLiteral("Cannot create the folder %1").arg(folder));
        return {};
    }
    const bool modern = layout == Layout::Modern;
    const qint64 newest = modern ? modernNewestDate() : newestDate();
    // Backups made at even steps up to the newest message; the names use
    // Beijing time so they do not depend on the machine's time zone.
    const QTimeZone beijing(8 * 3600);
    const qint64 first = (modern ? modernFirstDate() : kStart) + 30 * 86400;
    const qint64 span = newest + 3600 - first;
    for (int i = 0; i < count; ++i) {
        const qint64 cutoff = count == 1 ? newest + 3600 : first + span * i / (count - 1);
        const QString name =
            QDateTime::fromSecsSinceEpoch(cutoff, beijing).toString(QStringLiteral("yyyy.MM.dd.hh.mm.ss"));
        const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".sms");
        const bool ok = modern ? writeModernMessageDb(path, cutoff, error) && addModernBackupContacts(path, error)
                               : writeMessageDb(path, cutoff, error) && addBackupContacts(path, error);
        if (!ok)
            return {};
        written.append(path);
    }
    return written;
}

} // namespace demodata
