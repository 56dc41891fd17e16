#pragma once

// The C interface between msgdesk's device binding and the device-support
// libraries "iTunesMobileDevice" and "QTMLClient". msgdesk never links these
// libraries: it loads them at run time and looks every entry up by name, so
// the names and signatures below are the whole contract. Every handle is
// opaque to the caller.

#include <cstdint>

extern "C" {

typedef struct AMDeviceOpaque* AMDeviceRef;
typedef struct AMServiceOpaque* AMServiceConnectionRef;
typedef struct AFCConnectionOpaque* AFCConnectionRef;
typedef struct AFCDictionaryOpaque* AFCDictionaryRef;
typedef const struct CFStringOpaque* CFStringRef;
typedef const void* CFAllocatorRef;
typedef std::uint32_t CFStringEncoding;

enum : std::uint32_t {
    kDeviceAttached = 1,
    kDeviceRemoved = 2,
};

// What the device library hands to the notification callback.
struct AMDeviceNotificationInfo
{
    AMDeviceRef device;
    std::uint32_t kind; // kDeviceAttached, kDeviceRemoved, other values may occur
};

typedef void (*AMDeviceNotificationCallback)(AMDeviceNotificationInfo* info, void* user);

// iTunesMobileDevice
typedef int (*AMDeviceNotificationSubscribeFn)(AMDeviceNotificationCallback, unsigned int, unsigned int, void* user,
                                               void** notification);
typedef int (*AMDeviceConnectFn)(AMDeviceRef);
typedef int (*AMDeviceIsPairedFn)(AMDeviceRef);
typedef int (*AMDeviceValidatePairingFn)(AMDeviceRef);
typedef int (*AMDeviceStartSessionFn)(AMDeviceRef);
typedef int (*AMDeviceStartServiceFn)(AMDeviceRef, CFStringRef service, AMServiceConnectionRef* connection,
                                      void* unused);
typedef int (*AFCConnectionOpenFn)(AMServiceConnectionRef, unsigned int, AFCConnectionRef* connection);
typedef int (*AFCDeviceInfoOpenFn)(AFCConnectionRef, AFCDictionaryRef* info);
typedef int (*AFCKeyValueReadFn)(AFCDictionaryRef, const char** key, const char** value);
typedef int (*AFCKeyValueCloseFn)(AFCDictionaryRef);
typedef CFStringRef (*AMDeviceCopyValueFn)(AMDeviceRef, CFStringRef domain, CFStringRef key);
typedef CFStringRef (*AMDeviceCopyDeviceIdentifierFn)(AMDeviceRef);

// QTMLClient
typedef CFStringRef (*CFStringCreateWithCStringFn)(CFAllocatorRef, const char* text, CFStringEncoding);
typedef long (*CFStringGetLengthFn)(CFStringRef);
typedef unsigned char (*CFStringGetCStringFn)(CFStringRef, char* buffer, long bufferSize, CFStringEncoding);
typedef void (*CFReleaseFn)(const void*);
}

constexpr CFStringEncoding kCFStringEncodingUTF8 = 0x08000100;
// Encoding 0: single bytes, taken as Latin-1 here.
constexpr CFStringEncoding kCFStringEncodingDefault = 0;
