// libiTunesMobileDevice for Linux, on libimobiledevice: exactly the entries
// msgdesk's binding uses. Device events of usbmuxd become attach (1) and
// remove (2) notifications on libimobiledevice's event thread; the connect
// sequence runs through lockdownd; the identifier is the device's UDID.
//
// Device records are kept for the life of the process (one per UDID): the
// caller may still hold a handle while a removal is being reported.

#include "CFStringData.h"
#include "Export.h"

#include <libimobiledevice/afc.h>
#include <libimobiledevice/libimobiledevice.h>
#include <libimobiledevice/lockdown.h>
#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct AMDeviceOpaque;

struct AMServiceOpaque
{
    AMDeviceOpaque* owner;
    lockdownd_service_descriptor_t descriptor;
};

struct AFCConnectionOpaque
{
    afc_client_t client;
};

// The device owns the connections it hands out; they stay valid until its
// next connect or its removal, as the caller never closes them.
struct AMDeviceOpaque
{
    std::string udid;
    std::mutex mutex; // one connect sequence at a time per device
    idevice_t device = nullptr;
    lockdownd_client_t lockdown = nullptr;
    lockdownd_error_t handshake = LOCKDOWN_E_UNKNOWN_ERROR;
    std::vector<std::unique_ptr<AMServiceOpaque>> services;
    std::vector<std::unique_ptr<AFCConnectionOpaque>> afcConnections;

    // Called with the mutex held.
    void closeAll()
    {
        for (auto& afc : afcConnections)
            afc_client_free(afc->client);
        afcConnections.clear();
        for (auto& service : services)
            lockdownd_service_descriptor_free(service->descriptor);
        services.clear();
        if (lockdown)
            lockdownd_client_free(lockdown);
        if (device)
            idevice_free(device);
        lockdown = nullptr;
        device = nullptr;
        handshake = LOCKDOWN_E_UNKNOWN_ERROR;
    }
};

struct AFCDictionaryOpaque
{
    char** pairs;
    std::size_t next;
};

namespace {

constexpr int kError = 0x0E800001;
constexpr int kNotPaired = 0;

std::mutex g_registryMutex;
std::map<std::string, std::unique_ptr<AMDeviceOpaque>> g_devices;

std::mutex g_subscriberMutex;
AMDeviceNotificationCallback g_callback = nullptr;
void* g_user = nullptr;
bool g_subscribed = false;

AMDeviceOpaque* deviceFor(const char* udid)
{
    std::lock_guard<std::mutex> lock(g_registryMutex);
    std::unique_ptr<AMDeviceOpaque>& slot = g_devices[udid];
    if (!slot) {
        slot = std::make_unique<AMDeviceOpaque>();
        slot->udid = udid;
    }
    return slot.get();
}

// Drops the connection of a device that went away; the record stays.
void disconnect(AMDeviceOpaque* d)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->closeAll();
}

std::uint32_t translate(int event, int connectionType)
{
    // Phones reached over the network show up twice; the cable is the one we back up.
    if (connectionType != CONNECTION_USBMUXD)
        return 0;
    // A phone whose owner has just tapped "Trust" is reported anew, so that
    // it links without being plugged in again.
    if (event == IDEVICE_DEVICE_ADD || event == IDEVICE_DEVICE_PAIRED)
        return kDeviceAttached;
    if (event == IDEVICE_DEVICE_REMOVE)
        return kDeviceRemoved;
    return 0;
}

void onEvent(const idevice_event_t* event, void*)
{
    if (!event || !event->udid)
        return;
    const std::uint32_t kind = translate(event->event, event->conn_type);
    if (kind == 0)
        return;
    AMDeviceOpaque* d = deviceFor(event->udid);
    if (kind == kDeviceRemoved)
        disconnect(d);
    AMDeviceNotificationCallback callback;
    void* user;
    {
        std::lock_guard<std::mutex> lock(g_subscriberMutex);
        callback = g_callback;
        user = g_user;
    }
    AMDeviceNotificationInfo info{d, kind};
    if (callback)
        callback(&info, user);
}

int status(int code)
{
    return code == 0 ? 0 : kError;
}

} // namespace

// For tests: the notification kind of a libimobiledevice event, 0 when ignored.
MSGDESK_EXPORT unsigned int MSGDESK_TranslateDeviceEvent(int event, int connectionType)
{
    return translate(event, connectionType);
}

MSGDESK_EXPORT int AMDeviceNotificationSubscribe(AMDeviceNotificationCallback callback, unsigned int, unsigned int,
                                                 void* user, void** notification)
{
    if (!callback)
        return kError;
    std::lock_guard<std::mutex> lock(g_subscriberMutex);
    g_callback = callback;
    g_user = user;
    if (notification)
        *notification = nullptr;
    if (g_subscribed)
        return 0;
    // Without a running usbmuxd this still succeeds: libusbmuxd keeps trying
    // in the background, and phones are reported once it runs.
    const idevice_error_t rc = idevice_event_subscribe(onEvent, nullptr);
    g_subscribed = rc == IDEVICE_E_SUCCESS;
    return status(rc);
}

MSGDESK_EXPORT int AMDeviceConnect(AMDeviceRef d)
{
    if (!d)
        return kError;
    std::lock_guard<std::mutex> lock(d->mutex);
    d->closeAll();
    return status(idevice_new_with_options(&d->device, d->udid.c_str(), IDEVICE_LOOKUP_USBMUX));
}

// The handshake checks the pairing record and starts the session; its
// outcome answers the three pairing and session questions below.
MSGDESK_EXPORT int AMDeviceIsPaired(AMDeviceRef d)
{
    if (!d)
        return kNotPaired;
    std::lock_guard<std::mutex> lock(d->mutex);
    if (!d->device)
        return kNotPaired;
    if (!d->lockdown)
        d->handshake = lockdownd_client_new_with_handshake(d->device, &d->lockdown, "msgdesk");
    switch (d->handshake) {
    case LOCKDOWN_E_SUCCESS:
        return 1;
    case LOCKDOWN_E_INVALID_HOST_ID:
    case LOCKDOWN_E_PASSWORD_PROTECTED:
    case LOCKDOWN_E_USER_DENIED_PAIRING:
    case LOCKDOWN_E_PAIRING_DIALOG_RESPONSE_PENDING:
    case LOCKDOWN_E_INVALID_PAIR_RECORD:
        return kNotPaired;
    default:
        // Not a pairing question: the next step fails on it.
        return 1;
    }
}

MSGDESK_EXPORT int AMDeviceValidatePairing(AMDeviceRef d)
{
    if (!d)
        return kError;
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->lockdown && d->handshake == LOCKDOWN_E_SUCCESS ? 0 : kError;
}

MSGDESK_EXPORT int AMDeviceStartSession(AMDeviceRef d)
{
    if (!d)
        return kError;
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->lockdown ? 0 : kError;
}

MSGDESK_EXPORT int AMDeviceStartService(AMDeviceRef d, CFStringRef service, AMServiceConnectionRef* connection, void*)
{
    const char* name = cfstring::utf8(service);
    if (!d || !name || !connection)
        return kError;
    std::lock_guard<std::mutex> lock(d->mutex);
    if (!d->lockdown)
        return kError;
    lockdownd_service_descriptor_t descriptor = nullptr;
    if (lockdownd_start_service(d->lockdown, name, &descriptor) != LOCKDOWN_E_SUCCESS || !descriptor)
        return kError;
    d->services.push_back(std::make_unique<AMServiceOpaque>(AMServiceOpaque{d, descriptor}));
    *connection = d->services.back().get();
    return 0;
}

MSGDESK_EXPORT int AFCConnectionOpen(AMServiceConnectionRef service, unsigned int, AFCConnectionRef* connection)
{
    if (!service || !service->owner || !connection)
        return kError;
    std::lock_guard<std::mutex> lock(service->owner->mutex);
    afc_client_t client = nullptr;
    if (!service->owner->device ||
        afc_client_new(service->owner->device, service->descriptor, &client) != AFC_E_SUCCESS)
        return kError;
    service->owner->afcConnections.push_back(std::make_unique<AFCConnectionOpaque>(AFCConnectionOpaque{client}));
    *connection = service->owner->afcConnections.back().get();
    return 0;
}

MSGDESK_EXPORT int AFCDeviceInfoOpen(AFCConnectionRef connection, AFCDictionaryRef* info)
{
    if (!connection || !info)
        return kError;
    char** pairs = nullptr;
    if (afc_get_device_info(connection->client, &pairs) != AFC_E_SUCCESS || !pairs)
        return kError;
    *info = new AFCDictionaryOpaque{pairs, 0};
    return 0;
}

MSGDESK_EXPORT int AFCKeyValueRead(AFCDictionaryRef info, const char** key, const char** value)
{
    if (!info || !key || !value)
        return kError;
    // The list alternates keys and values and ends with a null.
    const char* k = info->pairs[info->next];
    const char* v = k ? info->pairs[info->next + 1] : nullptr;
    *key = k;
    *value = v;
    if (k && v)
        info->next += 2;
    return 0;
}

MSGDESK_EXPORT int AFCKeyValueClose(AFCDictionaryRef info)
{
    if (!info)
        return kError;
    afc_dictionary_free(info->pairs);
    delete info;
    return 0;
}

MSGDESK_EXPORT CFStringRef AMDeviceCopyValue(AMDeviceRef d, CFStringRef domain, CFStringRef key)
{
    const char* name = cfstring::utf8(key);
    if (!d || !name)
        return nullptr;
    std::lock_guard<std::mutex> lock(d->mutex);
    if (!d->lockdown)
        return nullptr;
    plist_t node = nullptr;
    if (lockdownd_get_value(d->lockdown, cfstring::utf8(domain), name, &node) != LOCKDOWN_E_SUCCESS || !node)
        return nullptr;
    CFStringRef result = nullptr;
    switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
        char* text = nullptr;
        plist_get_string_val(node, &text);
        if (text)
            result = cfstring::fromUtf8(text);
        std::free(text);
        break;
    }
    case PLIST_UINT: {
        uint64_t n = 0;
        plist_get_uint_val(node, &n);
        result = cfstring::fromUtf8(std::to_string(n));
        break;
    }
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        result = cfstring::fromUtf8(b ? "true" : "false");
        break;
    }
    default:
        break;
    }
    plist_free(node);
    return result;
}

MSGDESK_EXPORT CFStringRef AMDeviceCopyDeviceIdentifier(AMDeviceRef d)
{
    return d ? cfstring::fromUtf8(d->udid) : nullptr;
}
