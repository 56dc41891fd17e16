// The key-bag parser on arbitrary bytes; a bag it accepts is written out and
// read again unchanged, and one with few rounds is unlocked with a password.

#include "FuzzEntries.h"

#include "KeyBag.h"

#include <cstdint>
#include <cstdlib>

namespace fuzzentries {

int keyBag(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const std::optional<phonebackup::KeyBag> bag = phonebackup::KeyBag::parse(bytes, &error);
    if (!bag) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    const std::optional<phonebackup::KeyBag> again = phonebackup::KeyBag::parse(bag->serialize());
    if (!again || again->classKeys.size() != bag->classKeys.size() || again->salt != bag->salt ||
        again->iterations != bag->iterations || again->uuid != bag->uuid)
        std::abort();
    // Real bags need millions of rounds; only cheap ones are unlocked here.
    if (bag->iterations <= 64 && bag->doubleProtectionIterations <= 64) {
        phonebackup::UnlockedKeys keys;
        const phonebackup::UnlockResult result = phonebackup::unlockKeyBag(*bag, "password", &keys);
        if ((result == phonebackup::UnlockResult::Unlocked) == keys.isEmpty())
            std::abort();
    }
    return 0;
}

} // namespace fuzzentries
