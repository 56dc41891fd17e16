#pragma once

// Who the simulated phone is: the values its device library reports and
// its backup tool writes into the backup's Info.plist. By default a current
// phone; MSGDESK_SIM_PHONE=legacy makes it one of iOS 5 and before, whose
// message database has the legacy layout. Read at every call, so that a
// test can switch phones between links. MSGDESK_SIM_BACKUP_PASSWORD turns
// the phone's backup encryption on, with that password. Plain C++: the
// device library links no Qt.

#include <cstdlib>
#include <cstring>
#include <string>

namespace simphone {

struct Identity
{
    const char* productVersion;
    const char* productType; // also the AFC "Model"
    const char* modelNumber;
    const char* serialNumber;
    const char* volumeFormat;
    const char* totalBytes;
    const char* freeBytes;
    const char* buildVersion;
};

inline bool isLegacyPhone()
{
    const char* phone = std::getenv("MSGDESK_SIM_PHONE");
    return phone && std::strcmp(phone, "legacy") == 0;
}

inline const Identity& identity()
{
    static const Identity current{"17.4.1", "iPhone16,1",   "MTUV3",       "F2LXK7SIM017",
                                  "APFS",   "127989493760", "41234567168", "21E236"};
    static const Identity legacy{"5.1.1", "iPhone4,1",   "MD239",      "DNPK3SIM0001",
                                 "HFS+",  "15989469184", "7392583680", "9B206"};
    return isLegacyPhone() ? legacy : current;
}

constexpr const char* kDefaultUdid = "0f3c2a9b8d7e6f5a4b3c2d1e0f9a8b7c6d5e4f3a";
constexpr const char* kDefaultDeviceName = "Zo\xC3\xAB's iPhone \xE5\xBC\xA0";

inline std::string setting(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return (value && *value) ? std::string(value) : std::string(fallback);
}

inline std::string udid()
{
    return setting("MSGDESK_SIM_UDID", kDefaultUdid);
}

inline std::string deviceName()
{
    return setting("MSGDESK_SIM_DEVICE_NAME", kDefaultDeviceName);
}

// The password of the phone's backup encryption; empty when it is off.
inline std::string backupPassword()
{
    return setting("MSGDESK_SIM_BACKUP_PASSWORD", "");
}

inline bool willEncrypt()
{
    return !backupPassword().empty();
}

} // namespace simphone
