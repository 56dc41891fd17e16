#pragma once

// The key bag of an encrypted backup (Manifest.plist's BackupKeyBag) and its
// unlocking with the backup password.
//
// The bag is a run of records: a 4-byte tag, a 4-byte big-endian length and
// that many bytes. The header tags (VERS, TYPE, UUID, HMCK, WRAP, SALT,
// ITER, and from iOS 10.2 on DPWT, DPIC, DPSL) come first; each protection
// class then has a group that starts with its own UUID and holds CLAS,
// WRAP, KTYP and WPKY. Integers are 4-byte big-endian.
//
// Unlocking derives the password key, PBKDF2-HMAC-SHA1 with SALT and ITER
// over PBKDF2-HMAC-SHA256(password, DPSL, DPIC) (the inner step only when
// the bag has DPSL and DPIC, as bags of iOS 10.2 and later do), and unwraps
// every class key whose WRAP is 2 with it (RFC 3394). Real bags ask for ten
// million SHA-256 rounds, so unlockKeyBag reports progress, can be stopped,
// and may run on any thread; its result is kept in memory only.

#include <QByteArray>
#include <QMap>
#include <QSharedDataPointer>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

namespace phonebackup {

struct ClassKey
{
    quint32 protectionClass = 0;
    QByteArray uuid;
    quint32 wrap = 0;
    quint32 keyType = 0;
    QByteArray wrappedKey;
};

struct KeyBag
{
    quint32 version = 0;
    quint32 type = 0;
    QByteArray uuid;
    QByteArray hmck;
    quint32 wrap = 0;
    QByteArray salt;
    quint32 iterations = 0;
    // The second derivation step of iOS 10.2 and later; empty/0 before.
    quint32 doubleProtectionWrap = 0;
    quint32 doubleProtectionIterations = 0;
    QByteArray doubleProtectionSalt;
    QVector<ClassKey> classKeys;

    bool hasDoubleProtection() const { return doubleProtectionIterations > 0; }

    // Bags larger than this are refused; a real one is about two kilobytes.
    static constexpr int kMaxBytes = 1 << 20;
    // Rounds of either derivation step beyond this make the bag damaged:
    // real bags ask for 10,000,000 (SHA-256) and 10,000 (SHA-1), and a
    // hundred million SHA-256 rounds already take about a minute.
    static constexpr quint32 kMaxIterations = 100000000;
    // Real bags hold about a dozen protection classes.
    static constexpr int kMaxClassKeys = 256;
    // Parses a bag; nullopt with *error set when a record runs past the end,
    // a required tag is missing or a value has the wrong size.
    static std::optional<KeyBag> parse(const QByteArray& bytes, QString* error = nullptr);
    // The bag's bytes in the same form (the fixture builder writes them).
    QByteArray serialize() const;
};

// The unwrapped class keys of one bag. Copies share the keys; the last copy
// wipes them. Empty until an unlock succeeded.
class UnlockedKeys
{
public:
    UnlockedKeys();
    UnlockedKeys(const QByteArray& keyBagUuid, const QMap<quint32, QByteArray>& classKeys);
    UnlockedKeys(const UnlockedKeys&);
    UnlockedKeys& operator=(const UnlockedKeys&);
    ~UnlockedKeys();

    bool isEmpty() const;
    QByteArray keyBagUuid() const;
    // The key of a protection class; empty when the bag had none for it.
    QByteArray classKey(quint32 protectionClass) const;
    // A file or catalogue key as backups store it: 4-byte little-endian
    // protection class, then the key wrapped with that class's key. Gives
    // nullopt with *error set when the form is wrong or the unwrap fails.
    std::optional<QByteArray> unwrapStoredKey(const QByteArray& stored, QString* error = nullptr) const;

private:
    struct Data;
    QSharedDataPointer<Data> d;
};

enum class UnlockResult { Unlocked, WrongPassword, Cancelled, Failed };

// Called with the rounds done and the rounds in all; false stops the unlock.
using UnlockProgress = std::function<bool(quint64 done, quint64 total)>;

// Derives the password key and unwraps the class keys. WrongPassword when a
// class key does not unwrap; Failed (with *error) when the bag offers
// nothing a password can open.
UnlockResult unlockKeyBag(const KeyBag& bag, const QByteArray& password, UnlockedKeys* keys,
                          const UnlockProgress& progress = {}, QString* error = nullptr);

} // namespace phonebackup
