// libiTunesMobileDevice of the simulated phone: one phone that is attached
// shortly after the subscription, on a thread of the library's own, and that
// answers the connect sequence. Its behaviour is set through the environment,
// read when the subscription is made (timing) or at each step (failures and
// the phone's values):
//
//   MSGDESK_SIM_PHONE            "legacy": a phone of iOS 5 and before; else a current phone
//   MSGDESK_SIM_ATTACH_MS        delay before the phone is attached (default 1000; -1: never)
//   MSGDESK_SIM_REMOVE_AFTER_MS  removes the phone that long after it was attached
//   MSGDESK_SIM_UDID             the device identifier
//   MSGDESK_SIM_DEVICE_NAME      the device name (default "Zoë's iPhone 张")
//   MSGDESK_SIM_CONNECT_FAIL     1: AMDeviceConnect fails
//   MSGDESK_SIM_UNPAIRED         1: the phone is not paired with this computer
//   MSGDESK_SIM_VALIDATE_FAIL    1: the pairing check fails
//   MSGDESK_SIM_NOTIFY_FAIL_ONCE 1: the notification service fails at its first start per attach
//   MSGDESK_SIM_NOTIFY_FAIL      1: the notification service always fails
//   MSGDESK_SIM_NO_VOLUME_FORMAT 1: the phone has no "VolumeFormat" value
//   MSGDESK_SIM_BACKUP_PASSWORD  set: backup encryption is on ("WillEncrypt"
//                                of the domain "com.apple.mobile.backup" is "true")
//
// SimPhoneControl(kind) posts a notification of that kind (1 attach,
// 2 remove, anything else as is) to the library's thread at once.

#include "SimPhoneIdentity.h"
#include "support/CFStringData.h"
#include "support/Export.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct AMServiceOpaque
{
    std::string name;
};

struct AFCConnectionOpaque
{
    int unused = 0;
};

// The device owns the connections it hands out: they stay valid until its
// next connect, as the caller never closes them.
struct AMDeviceOpaque
{
    int connectAttempts = 0;
    int notifyStarts = 0;
    bool connected = false;
    bool sessionStarted = false;
    std::vector<std::unique_ptr<AMServiceOpaque>> services;
    std::vector<std::unique_ptr<AFCConnectionOpaque>> afcConnections;
};

struct AFCDictionaryOpaque
{
    std::vector<std::pair<std::string, std::string>> pairs;
    std::size_t next = 0;
};

namespace {

constexpr int kErrorGeneric = static_cast<int>(0xE8000001u & 0x7FFFFFFF);

bool flag(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value && std::strcmp(value, "0") != 0;
}

long number(const char* name, long fallback)
{
    const char* value = std::getenv(name);
    if (!value || !*value)
        return fallback;
    char* end = nullptr;
    const long n = std::strtol(value, &end, 10);
    return (end && *end == '\0') ? n : fallback;
}

// The library's notification thread: a queue of timed notifications.
class Notifier
{
public:
    ~Notifier()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    void subscribe(AMDeviceNotificationCallback callback, void* user)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_callback = callback;
        m_user = user;
        const long attachMs = number("MSGDESK_SIM_ATTACH_MS", 1000);
        if (attachMs >= 0) {
            const auto attachAt = Clock::now() + std::chrono::milliseconds(attachMs);
            m_queue.push_back({attachAt, kDeviceAttached});
            const long removeMs = number("MSGDESK_SIM_REMOVE_AFTER_MS", -1);
            if (removeMs >= 0)
                m_queue.push_back({attachAt + std::chrono::milliseconds(removeMs), kDeviceRemoved});
        }
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
        m_wake.notify_all();
    }

    void post(std::uint32_t kind)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_queue.push_back({Clock::now(), kind});
        }
        m_wake.notify_all();
    }

    AMDeviceOpaque device;

private:
    using Clock = std::chrono::steady_clock;
    struct Event
    {
        Clock::time_point when;
        std::uint32_t kind;
    };

    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            if (m_queue.empty()) {
                m_wake.wait(lock);
                continue;
            }
            // Events fire in the order of their times.
            auto next = m_queue.begin();
            for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
                if (it->when < next->when)
                    next = it;
            }
            if (next->when > Clock::now()) {
                m_wake.wait_until(lock, next->when);
                continue;
            }
            const std::uint32_t kind = next->kind;
            m_queue.erase(next);
            AMDeviceNotificationCallback callback = m_callback;
            void* user = m_user;
            lock.unlock();
            AMDeviceNotificationInfo info{&device, kind};
            if (callback)
                callback(&info, user);
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Event> m_queue;
    std::thread m_thread;
    AMDeviceNotificationCallback m_callback = nullptr;
    void* m_user = nullptr;
    bool m_stop = false;
};

Notifier& notifier()
{
    static Notifier instance;
    return instance;
}

bool isOurDevice(AMDeviceRef device)
{
    return device == &notifier().device;
}

} // namespace

MSGDESK_EXPORT int AMDeviceNotificationSubscribe(AMDeviceNotificationCallback callback, unsigned int, unsigned int,
                                                 void* user, void** notification)
{
    if (!callback)
        return kErrorGeneric;
    notifier().subscribe(callback, user);
    if (notification)
        *notification = &notifier();
    return 0;
}

MSGDESK_EXPORT void SimPhoneControl(int kind)
{
    notifier().post(static_cast<std::uint32_t>(kind));
}

MSGDESK_EXPORT int AMDeviceConnect(AMDeviceRef device)
{
    if (!isOurDevice(device) || flag("MSGDESK_SIM_CONNECT_FAIL"))
        return kErrorGeneric;
    device->services.clear();
    device->afcConnections.clear();
    device->connected = true;
    device->sessionStarted = false;
    device->notifyStarts = 0;
    ++device->connectAttempts;
    return 0;
}

MSGDESK_EXPORT int AMDeviceIsPaired(AMDeviceRef device)
{
    return isOurDevice(device) && device->connected && !flag("MSGDESK_SIM_UNPAIRED") ? 1 : 0;
}

MSGDESK_EXPORT int AMDeviceValidatePairing(AMDeviceRef device)
{
    if (!isOurDevice(device) || !device->connected || flag("MSGDESK_SIM_UNPAIRED") ||
        flag("MSGDESK_SIM_VALIDATE_FAIL")) {
        return kErrorGeneric;
    }
    return 0;
}

MSGDESK_EXPORT int AMDeviceStartSession(AMDeviceRef device)
{
    if (!isOurDevice(device) || !device->connected)
        return kErrorGeneric;
    device->sessionStarted = true;
    return 0;
}

MSGDESK_EXPORT int AMDeviceStartService(AMDeviceRef device, CFStringRef service, AMServiceConnectionRef* connection,
                                        void*)
{
    const char* name = cfstring::utf8(service);
    if (!isOurDevice(device) || !device->sessionStarted || !name || !connection)
        return kErrorGeneric;
    const std::string serviceName(name);
    if (serviceName == "com.apple.mobile.notification_proxy") {
        const int attempt = device->notifyStarts++;
        if (flag("MSGDESK_SIM_NOTIFY_FAIL") || (attempt == 0 && flag("MSGDESK_SIM_NOTIFY_FAIL_ONCE")))
            return kErrorGeneric;
    } else if (serviceName != "com.apple.afc") {
        return kErrorGeneric;
    }
    device->services.push_back(std::make_unique<AMServiceOpaque>(AMServiceOpaque{serviceName}));
    *connection = device->services.back().get();
    return 0;
}

MSGDESK_EXPORT int AFCConnectionOpen(AMServiceConnectionRef service, unsigned int, AFCConnectionRef* connection)
{
    if (!service || service->name != "com.apple.afc" || !connection)
        return kErrorGeneric;
    AMDeviceOpaque& device = notifier().device;
    device.afcConnections.push_back(std::make_unique<AFCConnectionOpaque>());
    *connection = device.afcConnections.back().get();
    return 0;
}

MSGDESK_EXPORT int AFCDeviceInfoOpen(AFCConnectionRef connection, AFCDictionaryRef* info)
{
    if (!connection || !info)
        return kErrorGeneric;
    const simphone::Identity& phone = simphone::identity();
    *info = new AFCDictionaryOpaque{{{"Model", phone.productType},
                                     {"FSTotalBytes", phone.totalBytes},
                                     {"FSFreeBytes", phone.freeBytes},
                                     {"FSBlockSize", "4096"}},
                                    0};
    return 0;
}

MSGDESK_EXPORT int AFCKeyValueRead(AFCDictionaryRef info, const char** key, const char** value)
{
    if (!info || !key || !value)
        return kErrorGeneric;
    if (info->next >= info->pairs.size()) {
        *key = nullptr;
        *value = nullptr;
        return 0;
    }
    const auto& pair = info->pairs.at(info->next++);
    *key = pair.first.c_str();
    *value = pair.second.c_str();
    return 0;
}

MSGDESK_EXPORT int AFCKeyValueClose(AFCDictionaryRef info)
{
    delete info;
    return 0;
}

MSGDESK_EXPORT CFStringRef AMDeviceCopyValue(AMDeviceRef device, CFStringRef domain, CFStringRef key)
{
    const char* name = cfstring::utf8(key);
    if (!isOurDevice(device) || !name)
        return nullptr;
    const std::string k(name);
    // As lockdown answers: the backup settings have a domain of their own,
    // and a boolean comes as the text the device support makes of it.
    const char* domainName = domain ? cfstring::utf8(domain) : nullptr;
    if (domainName && *domainName) {
        if (std::strcmp(domainName, "com.apple.mobile.backup") == 0 && k == "WillEncrypt")
            return cfstring::fromUtf8(simphone::willEncrypt() ? "true" : "false");
        return nullptr;
    }
    const simphone::Identity& phone = simphone::identity();
    if (k == "ProductVersion")
        return cfstring::fromUtf8(phone.productVersion);
    if (k == "SerialNumber")
        return cfstring::fromUtf8(phone.serialNumber);
    if (k == "VolumeFormat")
        return flag("MSGDESK_SIM_NO_VOLUME_FORMAT") ? nullptr : cfstring::fromUtf8(phone.volumeFormat);
    if (k == "DeviceName")
        return cfstring::fromUtf8(simphone::deviceName());
    if (k == "ModelNumber")
        return cfstring::fromUtf8(phone.modelNumber);
    if (k == "ProductType")
        return cfstring::fromUtf8(phone.productType);
    if (k == "UniqueDeviceID")
        return cfstring::fromUtf8(simphone::udid());
    return nullptr;
}

MSGDESK_EXPORT CFStringRef AMDeviceCopyDeviceIdentifier(AMDeviceRef device)
{
    if (!isOurDevice(device))
        return nullptr;
    return cfstring::fromUtf8(simphone::udid());
}
