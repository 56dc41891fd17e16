#include "KeyBag.h"

#include "BackupCrypto.h"

#include <QSharedData>
#include <QtEndian>

namespace phonebackup {

namespace {

// Integer records are four bytes; UUIDs sixteen; a wrapped 256-bit class
// key forty.
constexpr int kIntegerSize = 4;
constexpr int kUuidSize = 16;
constexpr int kWrappedClassKeySize = 40;
constexpr int kMaxSaltSize = 256;
constexpr int kMaxHmckSize = 256;
constexpr quint32 kWrapPassword = 2;

bool isIntegerTag(const QByteArray& tag)
{
    static const char* const tags[] = {"VERS", "TYPE", "WRAP", "ITER", "DPWT", "DPIC", "CLAS", "KTYP"};
    for (const char* t : tags) {
        if (tag == t)
            return true;
    }
    return false;
}

// Tags met so far are kept as one run of four-byte names.
bool hasTag(const QByteArray& tags, const char* tag)
{
    for (int i = 0; i + 4 <= tags.size(); i += 4) {
        if (tags.mid(i, 4) == tag)
            return true;
    }
    return false;
}

QString tagText(const QByteArray& tag)
{
    QString text;
    for (char c : tag)
        text += (c >= 0x20 && c < 0x7F) ? QChar::fromLatin1(c) : QLatin1Char('?');
    return text;
}

void appendRecord(QByteArray& out, const char* tag, const QByteArray& value)
{
    out.append(tag, 4);
    char length[4];
    qToBigEndian<quint32>(quint32(value.size()), length);
    out.append(length, 4);
    out.append(value);
}

QByteArray integerValue(quint32 value)
{
    char bytes[4];
    qToBigEndian<quint32>(value, bytes);
    return QByteArray(bytes, 4);
}

} // namespace

std::optional<KeyBag> KeyBag::parse(const QByteArray& bytes, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("The backup's key bag is damaged: %1.").arg(why);
        return std::nullopt;
    };
    if (bytes.isEmpty())
        return fail(QStringLiteral("it is empty"));
    if (bytes.size() > kMaxBytes)
        return fail(QStringLiteral("it is %1 bytes long").arg(bytes.size()));

    KeyBag bag;
    QByteArray seen; // header tags met so far, four bytes each
    ClassKey* current = nullptr;
    QVector<QByteArray> groupTags;
    int pos = 0;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < 8)
            return fail(QStringLiteral("a record at byte %1 is cut off").arg(pos));
        const QByteArray tag = bytes.mid(pos, 4);
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + pos + 4);
        pos += 8;
        if (length > quint32(bytes.size() - pos))
            return fail(QStringLiteral("the %1 record at byte %2 runs past the end").arg(tagText(tag)).arg(pos - 8));
        const QByteArray value = bytes.mid(pos, int(length));
        pos += int(length);

        if (isIntegerTag(tag) && value.size() != kIntegerSize)
            return fail(QStringLiteral("%1 has %2 bytes instead of 4").arg(tagText(tag)).arg(value.size()));
        const quint32 number = value.size() == kIntegerSize ? qFromBigEndian<quint32>(value.constData()) : 0;

        if (tag == "UUID") {
            if (value.size() != kUuidSize)
                return fail(QStringLiteral("a UUID has %1 bytes instead of 16").arg(value.size()));
            if (bag.uuid.isEmpty()) {
                bag.uuid = value;
                seen += tag;
            } else {
                // Every further UUID opens the group of one protection class.
                bag.classKeys.append(ClassKey());
                current = &bag.classKeys.last();
                current->uuid = value;
                groupTags.append(QByteArray());
            }
            continue;
        }
        if (current) {
            groupTags.last() += tag;
            if (tag == "CLAS")
                current->protectionClass = number;
            else if (tag == "WRAP")
                current->wrap = number;
            else if (tag == "KTYP")
                current->keyType = number;
            else if (tag == "WPKY")
                current->wrappedKey = value;
            continue;
        }
        seen += tag;
        if (tag == "VERS")
            bag.version = number;
        else if (tag == "TYPE")
            bag.type = number;
        else if (tag == "HMCK")
            bag.hmck = value;
        else if (tag == "WRAP")
            bag.wrap = number;
        else if (tag == "SALT")
            bag.salt = value;
        else if (tag == "ITER")
            bag.iterations = number;
        else if (tag == "DPWT")
            bag.doubleProtectionWrap = number;
        else if (tag == "DPIC")
            bag.doubleProtectionIterations = number;
        else if (tag == "DPSL")
            bag.doubleProtectionSalt = value;
    }

    auto hasHeader = [&](const char* tag) { return hasTag(seen, tag); };
    for (const char* tag : {"VERS", "TYPE", "UUID", "WRAP", "SALT", "ITER"}) {
        if (!hasHeader(tag))
            return fail(QStringLiteral("its header has no %1").arg(QLatin1String(tag)));
    }
    if (bag.salt.isEmpty() || bag.salt.size() > kMaxSaltSize)
        return fail(QStringLiteral("its SALT has %1 bytes").arg(bag.salt.size()));
    if (bag.iterations == 0)
        return fail(QStringLiteral("its ITER is 0"));
    if (bag.iterations > kMaxIterations)
        return fail(
            QStringLiteral("its ITER asks for %1 rounds, more than %2").arg(bag.iterations).arg(kMaxIterations));
    if (bag.doubleProtectionIterations > kMaxIterations)
        return fail(QStringLiteral("its DPIC asks for %1 rounds, more than %2")
                        .arg(bag.doubleProtectionIterations)
                        .arg(kMaxIterations));
    if (bag.hmck.size() > kMaxHmckSize)
        return fail(QStringLiteral("its HMCK has %1 bytes").arg(bag.hmck.size()));
    // The second step comes whole or not at all.
    const bool dpic = hasHeader("DPIC");
    const bool dpsl = hasHeader("DPSL");
    if (dpic != dpsl)
        return fail(QStringLiteral("its header has %1 without %2")
                        .arg(QLatin1String(dpic ? "DPIC" : "DPSL"), QLatin1String(dpic ? "DPSL" : "DPIC")));
    if (dpic && (bag.doubleProtectionIterations == 0 || bag.doubleProtectionSalt.isEmpty() ||
                 bag.doubleProtectionSalt.size() > kMaxSaltSize))
        return fail(QStringLiteral("its DPIC or DPSL is empty"));
    if (bag.classKeys.isEmpty())
        return fail(QStringLiteral("it holds no class keys"));
    if (bag.classKeys.size() > kMaxClassKeys)
        return fail(
            QStringLiteral("it holds %1 class keys, more than %2").arg(bag.classKeys.size()).arg(kMaxClassKeys));
    for (int i = 0; i < bag.classKeys.size(); ++i) {
        const ClassKey& key = bag.classKeys.at(i);
        const QByteArray& tags = groupTags.at(i);
        if (!hasTag(tags, "CLAS"))
            return fail(QStringLiteral("class key %1 has no CLAS").arg(i + 1));
        if (!hasTag(tags, "WRAP"))
            return fail(QStringLiteral("class key %1 has no WRAP").arg(i + 1));
        if (key.wrap == kWrapPassword && key.wrappedKey.isEmpty())
            return fail(QStringLiteral("class %1 has no WPKY").arg(key.protectionClass));
        if (!key.wrappedKey.isEmpty() && key.wrappedKey.size() != kWrappedClassKeySize)
            return fail(QStringLiteral("the wrapped key of class %1 has %2 bytes instead of 40")
                            .arg(key.protectionClass)
                            .arg(key.wrappedKey.size()));
    }
    return bag;
}

QByteArray KeyBag::serialize() const
{
    QByteArray out;
    appendRecord(out, "VERS", integerValue(version));
    appendRecord(out, "TYPE", integerValue(type));
    appendRecord(out, "UUID", uuid);
    if (!hmck.isEmpty())
        appendRecord(out, "HMCK", hmck);
    appendRecord(out, "WRAP", integerValue(wrap));
    appendRecord(out, "SALT", salt);
    appendRecord(out, "ITER", integerValue(iterations));
    if (hasDoubleProtection()) {
        appendRecord(out, "DPWT", integerValue(doubleProtectionWrap));
        appendRecord(out, "DPIC", integerValue(doubleProtectionIterations));
        appendRecord(out, "DPSL", doubleProtectionSalt);
    }
    for (const ClassKey& key : classKeys) {
        appendRecord(out, "UUID", key.uuid);
        appendRecord(out, "CLAS", integerValue(key.protectionClass));
        appendRecord(out, "WRAP", integerValue(key.wrap));
        appendRecord(out, "KTYP", integerValue(key.keyType));
        if (!key.wrappedKey.isEmpty())
            appendRecord(out, "WPKY", key.wrappedKey);
    }
    return out;
}

struct UnlockedKeys::Data : QSharedData
{
    QByteArray keyBagUuid;
    QMap<quint32, QByteArray> classKeys;

    Data() = default;
    Data(const Data& other) = default;
    ~Data()
    {
        for (auto it = classKeys.begin(); it != classKeys.end(); ++it)
            crypto::wipe(it.value());
    }
};

UnlockedKeys::UnlockedKeys() : d(new Data) {}

UnlockedKeys::UnlockedKeys(const QByteArray& keyBagUuid, const QMap<quint32, QByteArray>& classKeys) : d(new Data)
{
    d->keyBagUuid = keyBagUuid;
    d->classKeys = classKeys;
}

UnlockedKeys::UnlockedKeys(const UnlockedKeys&) = default;
UnlockedKeys& UnlockedKeys::operator=(const UnlockedKeys&) = default;
UnlockedKeys::~UnlockedKeys() = default;

bool UnlockedKeys::isEmpty() const
{
    return d->classKeys.isEmpty();
}

QByteArray UnlockedKeys::keyBagUuid() const
{
    return d->keyBagUuid;
}

QByteArray UnlockedKeys::classKey(quint32 protectionClass) const
{
    return d->classKeys.value(protectionClass);
}

std::optional<QByteArray> UnlockedKeys::unwrapStoredKey(const QByteArray& stored, QString* error) const
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    // Four bytes of class and a wrapped 256-bit key.
    if (stored.size() != 4 + kWrappedClassKeySize)
        return fail(QStringLiteral("its wrapped key has %1 bytes instead of 44").arg(stored.size()));
    const quint32 protectionClass = qFromLittleEndian<quint32>(stored.constData());
    const QByteArray classKey = d->classKeys.value(protectionClass);
    if (classKey.isEmpty())
        return fail(QStringLiteral("the key bag has no key of protection class %1").arg(protectionClass));
    std::optional<QByteArray> key = crypto::aesKeyUnwrap(classKey, stored.mid(4));
    if (!key)
        return fail(QStringLiteral("its key does not unwrap with the key of protection class %1").arg(protectionClass));
    return key;
}

UnlockResult unlockKeyBag(const KeyBag& bag, const QByteArray& password, UnlockedKeys* keys,
                          const UnlockProgress& progress, QString* error)
{
    auto failed = [&](const QString& why) {
        if (error)
            *error = why;
        return UnlockResult::Failed;
    };
    if (keys)
        *keys = UnlockedKeys();
    bool hasPasswordClass = false;
    for (const ClassKey& key : bag.classKeys)
        hasPasswordClass = hasPasswordClass || key.wrap == kWrapPassword;
    if (!hasPasswordClass)
        return failed(QStringLiteral("The backup's key bag holds no key that a password opens."));

    const quint64 inner = bag.hasDoubleProtection() ? bag.doubleProtectionIterations : 0;
    // A 32-byte key from SHA-1 takes two blocks of 20 bytes, each its own
    // run of rounds.
    const quint64 total = inner + 2 * quint64(bag.iterations);
    bool cancelled = false;
    auto stage = [&](quint64 offset) -> crypto::IterationProgress {
        if (!progress)
            return {};
        return [&, offset](quint64 done) {
            if (!progress(offset + done, total))
                cancelled = true;
            return !cancelled;
        };
    };

    QByteArray secret = password;
    if (bag.hasDoubleProtection()) {
        std::optional<QByteArray> first = crypto::pbkdf2(crypto::Digest::Sha256, password, bag.doubleProtectionSalt,
                                                         bag.doubleProtectionIterations, 32, stage(0));
        if (!first)
            return cancelled ? UnlockResult::Cancelled : failed(QStringLiteral("The key derivation failed."));
        secret = *first;
        crypto::wipe(*first);
    }
    std::optional<QByteArray> passwordKey =
        crypto::pbkdf2(crypto::Digest::Sha1, secret, bag.salt, bag.iterations, 32, stage(inner));
    if (bag.hasDoubleProtection())
        crypto::wipe(secret);
    if (!passwordKey)
        return cancelled ? UnlockResult::Cancelled : failed(QStringLiteral("The key derivation failed."));

    QMap<quint32, QByteArray> unwrapped;
    bool wrong = false;
    for (const ClassKey& key : bag.classKeys) {
        if (key.wrap != kWrapPassword)
            continue;
        std::optional<QByteArray> classKey = crypto::aesKeyUnwrap(*passwordKey, key.wrappedKey);
        if (!classKey) {
            wrong = true;
            break;
        }
        unwrapped.insert(key.protectionClass, *classKey);
    }
    crypto::wipe(*passwordKey);
    if (wrong) {
        for (auto it = unwrapped.begin(); it != unwrapped.end(); ++it)
            crypto::wipe(it.value());
        return UnlockResult::WrongPassword;
    }
    if (keys)
        *keys = UnlockedKeys(bag.uuid, unwrapped);
    return UnlockResult::Unlocked;
}

} // namespace phonebackup
