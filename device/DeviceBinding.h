#pragma once

// The runtime binding of the device library "iTunesMobileDevice" and the
// string library "QTMLClient". Neither is linked: the device library is
// loaded once by loadDeviceLibrary(), and every call below looks its entry up
// by name again. A missing library or entry gives kDeviceUnavailable (4107)
// for status results and null for handles and strings, so callers treat it
// like any other failure.
//
// Where the libraries are looked for, in order: the folder named by the
// environment variable MSGDESK_DEVICE_TOOLS (when set), the program's own
// folder, the private folder of an installed tree (lib/msgdesk beside the
// program's bin/), then the system's library search order.

#include "support/MobileDeviceApi.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

constexpr int kDeviceUnavailable = 4107;

// Candidate file names for a library ("iTunesMobileDevice" or "QTMLClient"), in search order.
QStringList deviceLibraryCandidates(const QString& baseName);

// Loads the device library unless it is loaded already. On failure returns
// false and, when given, the loader's reason.
bool loadDeviceLibrary(QString* error = nullptr);
bool isDeviceLibraryLoaded();
// The file the device library was loaded from, empty when none is.
QString loadedDeviceLibraryPath();

int amDeviceNotificationSubscribe(AMDeviceNotificationCallback callback, void* user);
int amDeviceConnect(AMDeviceRef device);
// Non-zero when the computer is paired; 4107 when the entry is missing.
int amDeviceIsPaired(AMDeviceRef device);
int amDeviceValidatePairing(AMDeviceRef device);
int amDeviceStartSession(AMDeviceRef device);
int amDeviceStartService(AMDeviceRef device, const char* serviceName, AMServiceConnectionRef* connection);
int afcConnectionOpen(AMServiceConnectionRef service, AFCConnectionRef* connection);
int afcDeviceInfoOpen(AFCConnectionRef connection, AFCDictionaryRef* info);
int afcKeyValueRead(AFCDictionaryRef info, const char** key, const char** value);
int afcKeyValueClose(AFCDictionaryRef info);

// CFStringCreateWithCString with a null allocator; null when QTMLClient or the entry is missing.
CFStringRef makeCFString(const char* text, CFStringEncoding encoding);
// A newly allocated NUL-terminated UTF-8 copy (free it with free()); an empty
// string when QTMLClient or an entry is missing, null only when out of memory.
char* cfStringToUtf8(CFStringRef string);
// Frees a string the libraries returned; does nothing when the entry is missing.
void releaseCFString(CFStringRef string);
// AMDeviceCopyValue without a domain. Null when the device has no such value;
// an empty string made with encoding 0 when the library or entry is missing.
CFStringRef copyDeviceValue(AMDeviceRef device, const char* key);
// The same for a value of a lockdown domain ("com.apple.mobile.backup").
CFStringRef copyDeviceValue(AMDeviceRef device, const char* domain, const char* key);
// AMDeviceCopyDeviceIdentifier, with the same empty-string fallback.
CFStringRef copyDeviceIdentifier(AMDeviceRef device);

// Convenience for Qt callers: the UTF-8 text of a string (released after
// reading when `release` is true); empty for null.
QByteArray cfStringBytes(CFStringRef string, bool release = true);
