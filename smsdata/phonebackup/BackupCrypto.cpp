#include "BackupCrypto.h"

#include <QFile>

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <memory>
#include <vector>

namespace phonebackup::crypto {

namespace {

struct CipherCtxFree
{
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree>;

struct MacFree
{
    void operator()(EVP_MAC* mac) const { EVP_MAC_free(mac); }
    void operator()(EVP_MAC_CTX* ctx) const { EVP_MAC_CTX_free(ctx); }
};

// How often a derivation reports: often enough for a smooth progress bar
// and a quick cancel, rarely enough to cost nothing.
constexpr quint32 kProgressEvery = 8192;

// Decryption reads and writes this much at a time.
constexpr int kStreamChunk = 1 << 20;

const EVP_CIPHER* wrapCipher(int kekSize)
{
    switch (kekSize) {
    case 16:
        return EVP_aes_128_wrap();
    case 24:
        return EVP_aes_192_wrap();
    case 32:
        return EVP_aes_256_wrap();
    default:
        return nullptr;
    }
}

QByteArray zeroIv(const QByteArray& iv)
{
    return iv.isEmpty() ? QByteArray(16, '\0') : iv;
}

const unsigned char* bytes(const QByteArray& data)
{
    return reinterpret_cast<const unsigned char*>(data.constData());
}

unsigned char* bytes(QByteArray& data)
{
    return reinterpret_cast<unsigned char*>(data.data());
}

std::optional<QByteArray> keyWrapRun(bool wrap, const QByteArray& kek, const QByteArray& input)
{
    const EVP_CIPHER* cipher = wrapCipher(int(kek.size()));
    if (!cipher || input.size() % 8 != 0 || input.size() < (wrap ? 16 : 24))
        return std::nullopt;
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!ctx)
        return std::nullopt;
    EVP_CIPHER_CTX_set_flags(ctx.get(), EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
    if (EVP_CipherInit_ex(ctx.get(), cipher, nullptr, bytes(kek), nullptr, wrap ? 1 : 0) != 1)
        return std::nullopt;
    QByteArray out(input.size() + 16, '\0');
    int length = 0;
    if (EVP_CipherUpdate(ctx.get(), bytes(out), &length, bytes(input), int(input.size())) != 1 || length <= 0) {
        wipe(out);
        return std::nullopt;
    }
    int tail = 0;
    if (EVP_CipherFinal_ex(ctx.get(), bytes(out) + length, &tail) != 1) {
        wipe(out);
        return std::nullopt;
    }
    out.truncate(length + tail);
    return out;
}

std::optional<QByteArray> cbcRun(bool encrypt, const QByteArray& key, const QByteArray& input, const QByteArray& iv)
{
    const QByteArray vector = zeroIv(iv);
    if (key.size() != 32 || vector.size() != 16 || (!encrypt && input.size() % 16 != 0))
        return std::nullopt;
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, bytes(key), bytes(vector), encrypt) != 1)
        return std::nullopt;
    QByteArray out(input.size() + 16, '\0');
    int length = 0;
    int tail = 0;
    if (EVP_CipherUpdate(ctx.get(), bytes(out), &length, bytes(input), int(input.size())) != 1 ||
        EVP_CipherFinal_ex(ctx.get(), bytes(out) + length, &tail) != 1) {
        wipe(out);
        return std::nullopt;
    }
    out.truncate(length + tail);
    return out;
}

} // namespace

std::optional<QByteArray> pbkdf2(Digest digest, const QByteArray& password, const QByteArray& salt, quint32 iterations,
                                 int length, const IterationProgress& progress)
{
    if (iterations == 0 || length <= 0)
        return std::nullopt;
    std::unique_ptr<EVP_MAC, MacFree> mac(EVP_MAC_fetch(nullptr, "HMAC", nullptr));
    if (!mac)
        return std::nullopt;
    std::unique_ptr<EVP_MAC_CTX, MacFree> keyed(EVP_MAC_CTX_new(mac.get()));
    char digestName[8];
    qstrncpy(digestName, digest == Digest::Sha1 ? "SHA1" : "SHA256", sizeof digestName);
    const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digestName, 0),
                                 OSSL_PARAM_construct_end()};
    // An empty password is a valid key; OpenSSL takes a null key as "keep
    // the previous one", so it gets a pointer to nothing instead.
    static const unsigned char noKey = 0;
    const unsigned char* key = password.isEmpty() ? &noKey : bytes(password);
    if (!keyed || EVP_MAC_init(keyed.get(), key, size_t(password.size()), params) != 1)
        return std::nullopt;
    const size_t hashSize = EVP_MAC_CTX_get_mac_size(keyed.get());
    if (hashSize == 0 || hashSize > 64)
        return std::nullopt;

    // The derivation is done here rather than by PKCS5_PBKDF2_HMAC so that
    // it can report progress and stop: each round re-initialises a context
    // that keeps the keyed state, as OpenSSL's own implementation does.
    const quint64 blocks = (quint64(length) + hashSize - 1) / hashSize;
    const quint64 total = blocks * iterations;
    quint64 done = 0;
    QByteArray result;
    unsigned char u[64];
    unsigned char t[64];
    bool ok = true;
    for (quint64 block = 1; ok && block <= blocks; ++block) {
        std::unique_ptr<EVP_MAC_CTX, MacFree> ctx(EVP_MAC_CTX_dup(keyed.get()));
        const unsigned char index[4] = {static_cast<unsigned char>(block >> 24),
                                        static_cast<unsigned char>(block >> 16), static_cast<unsigned char>(block >> 8),
                                        static_cast<unsigned char>(block)};
        size_t produced = 0;
        ok = ctx && EVP_MAC_update(ctx.get(), bytes(salt), size_t(salt.size())) == 1 &&
             EVP_MAC_update(ctx.get(), index, 4) == 1 && EVP_MAC_final(ctx.get(), u, &produced, sizeof u) == 1 &&
             produced == hashSize;
        memcpy(t, u, hashSize);
        for (quint32 round = 1; ok && round < iterations; ++round) {
            ok = EVP_MAC_init(ctx.get(), nullptr, 0, nullptr) == 1 && EVP_MAC_update(ctx.get(), u, hashSize) == 1 &&
                 EVP_MAC_final(ctx.get(), u, &produced, sizeof u) == 1;
            for (size_t i = 0; i < hashSize; ++i)
                t[i] ^= u[i];
            if (ok && progress && (round % kProgressEvery) == 0)
                ok = progress(done + round);
        }
        done += iterations;
        result.append(reinterpret_cast<const char*>(t), int(hashSize));
    }
    OPENSSL_cleanse(u, sizeof u);
    OPENSSL_cleanse(t, sizeof t);
    if (!ok) {
        wipe(result);
        return std::nullopt;
    }
    if (progress && !progress(total)) {
        wipe(result);
        return std::nullopt;
    }
    result.truncate(length);
    return result;
}

std::optional<QByteArray> aesKeyUnwrap(const QByteArray& kek, const QByteArray& wrapped)
{
    return keyWrapRun(false, kek, wrapped);
}

std::optional<QByteArray> aesKeyWrap(const QByteArray& kek, const QByteArray& key)
{
    return keyWrapRun(true, kek, key);
}

std::optional<QByteArray> aesCbcEncrypt(const QByteArray& key, const QByteArray& plain, const QByteArray& iv)
{
    return cbcRun(true, key, plain, iv);
}

std::optional<QByteArray> aesCbcDecrypt(const QByteArray& key, const QByteArray& cipher, const QByteArray& iv)
{
    return cbcRun(false, key, cipher, iv);
}

namespace {

// One streamed pass of the cipher from file to file. `limit` cuts the
// output (decryption); a negative limit keeps everything.
bool streamCipher(bool encrypt, const QString& source, const QString& target, const QByteArray& key, qint64 limit,
                  const QString& displayName, QString* error)
{
    bool created = false;
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        if (created)
            QFile::remove(target);
        return false;
    };
    if (key.size() != 32)
        return fail(QStringLiteral("The key of %1 has a wrong size.").arg(displayName));
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1 cannot be read: %2").arg(displayName, in.errorString()));
    if (!encrypt && in.size() % 16 != 0)
        return fail(
            QStringLiteral("%1 cannot be decrypted: its size is not a whole number of blocks.").arg(displayName));
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return fail(QStringLiteral("%1 cannot be written: %2").arg(target, out.errorString()));
    created = true;
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    CipherCtx ctx(EVP_CIPHER_CTX_new());
    const QByteArray iv(16, '\0');
    if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, bytes(key), bytes(iv), encrypt) != 1)
        return fail(QStringLiteral("The cipher for %1 cannot be set up.").arg(displayName));

    std::vector<char> inBuffer(kStreamChunk);
    std::vector<char> outBuffer(kStreamChunk + 32);
    qint64 written = 0;
    auto put = [&](int produced) {
        qint64 keep = produced;
        if (limit >= 0)
            keep = qMin<qint64>(keep, limit - written);
        if (keep > 0 && out.write(outBuffer.data(), keep) != keep)
            return false;
        written += qMax<qint64>(keep, 0);
        return true;
    };
    for (;;) {
        const qint64 got = in.read(inBuffer.data(), kStreamChunk);
        if (got < 0)
            return fail(QStringLiteral("%1 cannot be read: %2").arg(displayName, in.errorString()));
        if (got == 0)
            break;
        int produced = 0;
        if (EVP_CipherUpdate(ctx.get(), reinterpret_cast<unsigned char*>(outBuffer.data()), &produced,
                             reinterpret_cast<const unsigned char*>(inBuffer.data()), int(got)) != 1)
            return fail(QStringLiteral("%1 cannot be decrypted.").arg(displayName));
        if (!put(produced))
            return fail(QStringLiteral("%1 cannot be written: %2").arg(target, out.errorString()));
    }
    int produced = 0;
    if (EVP_CipherFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(outBuffer.data()), &produced) != 1)
        return fail(QStringLiteral("%1 cannot be decrypted: its padding is wrong (a wrong key or a damaged file).")
                        .arg(displayName));
    if (!put(produced))
        return fail(QStringLiteral("%1 cannot be written: %2").arg(target, out.errorString()));
    if (limit >= 0 && written < limit)
        return fail(QStringLiteral("%1 is shorter than the catalogue says (%2 of %3 bytes).")
                        .arg(displayName)
                        .arg(written)
                        .arg(limit));
    if (!out.flush())
        return fail(QStringLiteral("%1 cannot be written: %2").arg(target, out.errorString()));
    OPENSSL_cleanse(outBuffer.data(), outBuffer.size());
    return true;
}

} // namespace

bool decryptFile(const QString& source, const QString& target, const QByteArray& key, qint64 plainSize,
                 const QString& displayName, QString* error)
{
    return streamCipher(false, source, target, key, plainSize, displayName, error);
}

bool encryptFile(const QString& source, const QString& target, const QByteArray& key, QString* error)
{
    return streamCipher(true, source, target, key, -1, source, error);
}

QByteArray randomBytes(int count)
{
    QByteArray out(count, '\0');
    if (count > 0 && RAND_bytes(bytes(out), count) != 1)
        return {};
    return out;
}

void wipe(QByteArray& bytes)
{
    // A copy shared with someone else is theirs to wipe.
    if (!bytes.isEmpty() && bytes.isDetached())
        OPENSSL_cleanse(bytes.data(), size_t(bytes.size()));
    bytes.clear();
}

} // namespace phonebackup::crypto
