#include "DeviceBinding.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMutex>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

// Written once before the subscription starts the library's thread, read
// from every thread afterwards. Never unloaded: the library calls us back
// until the process ends.
std::atomic<QLibrary*> g_deviceLibrary{nullptr};

QMutex g_stringLibraryMutex;
QLibrary* g_stringLibrary = nullptr;

QLibrary* loadFirst(const QString& baseName, QString* error)
{
    QString reasons;
    for (const QString& candidate : deviceLibraryCandidates(baseName)) {
        auto* library = new QLibrary(candidate);
        if (library->load())
            return library;
        reasons += library->errorString() + QLatin1Char('\n');
        delete library;
    }
    if (error)
        *error = reasons.trimmed();
    return nullptr;
}

// The string library is looked for anew until it is found once; after that
// the same module stays in use.
QLibrary* stringLibrary()
{
    QMutexLocker lock(&g_stringLibraryMutex);
    if (!g_stringLibrary)
        g_stringLibrary = loadFirst(QStringLiteral("QTMLClient"), nullptr);
    return g_stringLibrary;
}

template <typename Fn> Fn deviceEntry(const char* name)
{
    QLibrary* library = g_deviceLibrary.load();
    return library ? reinterpret_cast<Fn>(library->resolve(name)) : nullptr;
}

template <typename Fn> Fn stringEntry(const char* name)
{
    QLibrary* library = stringLibrary();
    return library ? reinterpret_cast<Fn>(library->resolve(name)) : nullptr;
}

} // namespace

QStringList deviceLibraryCandidates(const QString& baseName)
{
    QStringList folders;
    const QString tools = qEnvironmentVariable("MSGDESK_DEVICE_TOOLS");
    if (!tools.isEmpty())
        folders.append(tools);
    if (QCoreApplication::instance()) {
        const QDir program(QCoreApplication::applicationDirPath());
        folders.append(program.path());
        // An installed msgdesk keeps its device support in a private folder.
        folders.append(QDir::cleanPath(program.filePath(QStringLiteral(MSGDESK_SUPPORT_FROM_BIN))));
    }

    QStringList candidates;
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(QStringLiteral("lib") + baseName + QStringLiteral(".so"));
        if (QFileInfo::exists(path) && !candidates.contains(path))
            candidates.append(path);
    }
    // The plain name leaves the rest to the system's search order.
    candidates.append(baseName);
    return candidates;
}

bool loadDeviceLibrary(QString* error)
{
    if (g_deviceLibrary.load())
        return true;
    QLibrary* library = loadFirst(QStringLiteral("iTunesMobileDevice"), error);
    if (!library)
        return false;
    g_deviceLibrary.store(library);
    return true;
}

bool isDeviceLibraryLoaded()
{
    return g_deviceLibrary.load() != nullptr;
}

QString loadedDeviceLibraryPath()
{
    QLibrary* library = g_deviceLibrary.load();
    return library ? library->fileName() : QString();
}

int amDeviceNotificationSubscribe(AMDeviceNotificationCallback callback, void* user)
{
    auto fn = deviceEntry<AMDeviceNotificationSubscribeFn>("AMDeviceNotificationSubscribe");
    if (!fn)
        return kDeviceUnavailable;
    void* notification = nullptr;
    return fn(callback, 0, 0, user, &notification);
}

int amDeviceConnect(AMDeviceRef device)
{
    auto fn = deviceEntry<AMDeviceConnectFn>("AMDeviceConnect");
    return fn ? fn(device) : kDeviceUnavailable;
}

int amDeviceIsPaired(AMDeviceRef device)
{
    auto fn = deviceEntry<AMDeviceIsPairedFn>("AMDeviceIsPaired");
    return fn ? fn(device) : kDeviceUnavailable;
}

int amDeviceValidatePairing(AMDeviceRef device)
{
    auto fn = deviceEntry<AMDeviceValidatePairingFn>("AMDeviceValidatePairing");
    return fn ? fn(device) : kDeviceUnavailable;
}

int amDeviceStartSession(AMDeviceRef device)
{
    auto fn = deviceEntry<AMDeviceStartSessionFn>("AMDeviceStartSession");
    return fn ? fn(device) : kDeviceUnavailable;
}

int amDeviceStartService(AMDeviceRef device, const char* serviceName, AMServiceConnectionRef* connection)
{
    auto fn = deviceEntry<AMDeviceStartServiceFn>("AMDeviceStartService");
    if (!fn)
        return kDeviceUnavailable;
    CFStringRef name = makeCFString(serviceName, kCFStringEncodingDefault);
    const int result = fn(device, name, connection, nullptr);
    releaseCFString(name);
    return result;
}

int afcConnectionOpen(AMServiceConnectionRef service, AFCConnectionRef* connection)
{
    auto fn = deviceEntry<AFCConnectionOpenFn>("AFCConnectionOpen");
    return fn ? fn(service, 0, connection) : kDeviceUnavailable;
}

int afcDeviceInfoOpen(AFCConnectionRef connection, AFCDictionaryRef* info)
{
    auto fn = deviceEntry<AFCDeviceInfoOpenFn>("AFCDeviceInfoOpen");
    return fn ? fn(connection, info) : kDeviceUnavailable;
}

int afcKeyValueRead(AFCDictionaryRef info, const char** key, const char** value)
{
    auto fn = deviceEntry<AFCKeyValueReadFn>("AFCKeyValueRead");
    return fn ? fn(info, key, value) : kDeviceUnavailable;
}

int afcKeyValueClose(AFCDictionaryRef info)
{
    auto fn = deviceEntry<AFCKeyValueCloseFn>("AFCKeyValueClose");
    return fn ? fn(info) : kDeviceUnavailable;
}

CFStringRef makeCFString(const char* text, CFStringEncoding encoding)
{
    auto fn = stringEntry<CFStringCreateWithCStringFn>("CFStringCreateWithCString");
    return fn ? fn(nullptr, text, encoding) : nullptr;
}

char* cfStringToUtf8(CFStringRef string)
{
    auto length = stringEntry<CFStringGetLengthFn>("CFStringGetLength");
    auto convert = stringEntry<CFStringGetCStringFn>("CFStringGetCString");
    if (!string || !length || !convert)
        return static_cast<char*>(std::calloc(1, 1));
    // One UTF-16 unit never takes more than three UTF-8 bytes (a surrogate
    // pair takes four for two units).
    const long units = length(string);
    const std::size_t size = static_cast<std::size_t>(units > 0 ? units : 0) * 3 + 1;
    char* buffer = static_cast<char*>(std::calloc(size, 1));
    if (buffer && !convert(string, buffer, static_cast<long>(size), kCFStringEncodingUTF8))
        buffer[0] = '\0';
    return buffer;
}

void releaseCFString(CFStringRef string)
{
    if (!string)
        return;
    if (auto fn = stringEntry<CFReleaseFn>("CFRelease"))
        fn(string);
}

CFStringRef copyDeviceValue(AMDeviceRef device, const char* key)
{
    return copyDeviceValue(device, nullptr, key);
}

CFStringRef copyDeviceValue(AMDeviceRef device, const char* domain, const char* key)
{
    auto fn = deviceEntry<AMDeviceCopyValueFn>("AMDeviceCopyValue");
    if (!fn)
        return makeCFString("", kCFStringEncodingDefault);
    CFStringRef cfDomain = domain ? makeCFString(domain, kCFStringEncodingUTF8) : nullptr;
    CFStringRef cfKey = makeCFString(key, kCFStringEncodingUTF8);
    CFStringRef value = fn(device, cfDomain, cfKey);
    releaseCFString(cfKey);
    releaseCFString(cfDomain);
    return value;
}

CFStringRef copyDeviceIdentifier(AMDeviceRef device)
{
    auto fn = deviceEntry<AMDeviceCopyDeviceIdentifierFn>("AMDeviceCopyDeviceIdentifier");
    if (!fn)
        return makeCFString("", kCFStringEncodingDefault);
    return fn(device);
}

QByteArray cfStringBytes(CFStringRef string, bool release)
{
    if (!string)
        return {};
    char* text = cfStringToUtf8(string);
    QByteArray bytes(text ? text : "");
    std::free(text);
    if (release)
        releaseCFString(string);
    return bytes;
}
