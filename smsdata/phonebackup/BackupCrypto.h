#pragma once

// The cryptography of encrypted phone backups, on OpenSSL: the two key
// derivations, AES key wrap (RFC 3394) and AES-256-CBC with PKCS#7 padding,
// in memory and streamed from file to file. Both directions are here: the
// reading side needs one, the fixture builder the other, and the published
// test vectors check them separately.
//
// Nothing here logs or stores a key; callers keep keys in memory only.

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace phonebackup::crypto {

enum class Digest { Sha1, Sha256 };

// Called now and then during a derivation with the iterations done so far;
// returning false stops it (the derivation then gives no result).
using IterationProgress = std::function<bool(quint64 done)>;

// PBKDF2 with HMAC over the digest. Gives nullopt when cancelled, when
// iterations is 0 or length is not positive.
std::optional<QByteArray> pbkdf2(Digest digest, const QByteArray& password, const QByteArray& salt, quint32 iterations,
                                 int length, const IterationProgress& progress = {});

// RFC 3394 with its default initial value, under a key encryption key of 16,
// 24 or 32 bytes. Unwrap gives nullopt when the integrity check fails (the
// usual sign of a wrong key) or the sizes are wrong: the wrapped key must be
// a multiple of 8 bytes and at least 24.
std::optional<QByteArray> aesKeyUnwrap(const QByteArray& kek, const QByteArray& wrapped);
std::optional<QByteArray> aesKeyWrap(const QByteArray& kek, const QByteArray& key);

// AES-256-CBC with PKCS#7 padding; the IV is 16 zero bytes unless given.
// Decrypt gives nullopt for a wrong key size, a length that is not a whole
// number of blocks, or wrong padding.
std::optional<QByteArray> aesCbcEncrypt(const QByteArray& key, const QByteArray& plain, const QByteArray& iv = {});
std::optional<QByteArray> aesCbcDecrypt(const QByteArray& key, const QByteArray& cipher, const QByteArray& iv = {});

// Decrypts `source` into the new file `target` (which must not exist) in
// fixed-size pieces, so memory stays the same for any file size. The plain
// text is cut to plainSize when that is not negative; a plain text shorter
// than plainSize is an error. On failure `target` is removed and *error
// says why, naming the file by `displayName`.
bool decryptFile(const QString& source, const QString& target, const QByteArray& key, qint64 plainSize,
                 const QString& displayName, QString* error);
// The same streaming in the other direction (the builder's and the bench's).
bool encryptFile(const QString& source, const QString& target, const QByteArray& key, QString* error);

// Fills with bytes from OpenSSL's random generator.
QByteArray randomBytes(int count);

// Overwrites the bytes before they are released.
void wipe(QByteArray& bytes);

} // namespace phonebackup::crypto
