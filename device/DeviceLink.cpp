#include "DeviceLink.h"

#include "DetectIphoneAction.h"
#include "DeviceBinding.h"

#include <QFile>
#include <QThread>

#include <cstdio>
#include <cstdlib>

std::atomic<bool> linkUp{false};
std::atomic<bool> backupDone{false};

namespace {

std::atomic<DetectIphoneAction*> g_linkNotifier{nullptr};

void report()
{
    // The flag is set before the report, so the receiver never sees a stale value.
    if (DetectIphoneAction* notifier = g_linkNotifier.load())
        emit notifier->validlink(linkUp.load());
}

// The connect sequence; false when it ends without a report.
bool connectDevice(DeviceLink* link, AMDeviceRef device)
{
    if (amDeviceConnect(device) != 0) {
        // Reported as linked although no session exists: the window then
        // tries the backup, which tells the user what is wrong.
        return true;
    }
    if (amDeviceIsPaired(device) == 0)
        return false;
    if (amDeviceValidatePairing(device) != 0)
        return false;
    if (amDeviceStartSession(device) != 0)
        return false;

    AMServiceConnectionRef afcService = nullptr;
    if (amDeviceStartService(device, "com.apple.afc", &afcService) != 0)
        return false;
    AFCConnectionRef afc = nullptr;
    if (afcConnectionOpen(afcService, &afc) != 0)
        return false;
    link->afcConnection.store(afc);

    AMServiceConnectionRef proxy = nullptr;
    if (amDeviceStartService(device, "com.apple.mobile.notification_proxy", &proxy) != 0) {
        QThread::msleep(kNotificationRetryMs);
        if (amDeviceStartService(device, "com.apple.mobile.notification_proxy", &proxy) != 0)
            return false;
    }
    link->notificationProxy.store(proxy);

    writeDeviceInfoFile(link);
    return true;
}

} // namespace

void setLinkNotifier(DetectIphoneAction* notifier)
{
    g_linkNotifier.store(notifier);
}

DetectIphoneAction* linkNotifier()
{
    return g_linkNotifier.load();
}

bool subscribeDeviceNotifications(DeviceLink* link)
{
    QString error;
    if (!loadDeviceLibrary(&error)) {
        std::printf("error = %s\n", error.toLocal8Bit().constData());
        std::fflush(stdout);
        return false;
    }
    return amDeviceNotificationSubscribe(onDeviceNotification, link) == 0;
}

void onDeviceNotification(AMDeviceNotificationInfo* info, void* user)
{
    auto* link = static_cast<DeviceLink*>(user);
    if (!info || !link)
        return;
    link->device.store(info->device);
    linkUp.store(true);

    if (info->kind == kDeviceAttached) {
        if (!connectDevice(link, info->device))
            return;
    } else if (info->kind == kDeviceRemoved) {
        backupDone.store(false);
        linkUp.store(false);
    }
    report();
}

void writeDeviceInfoFile(DeviceLink* link)
{
    QFile::remove(QStringLiteral("MobileInfo"));
    QFile file(QStringLiteral("MobileInfo"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;

    AFCDictionaryRef info = nullptr;
    if (afcDeviceInfoOpen(link->afcConnection.load(), &info) == 0) {
        const char* key = nullptr;
        const char* value = nullptr;
        while (afcKeyValueRead(info, &key, &value) == 0 && key && value) {
            const QByteArray name(key);
            if (name == "Model" || name == "FSTotalBytes" || name == "FSFreeBytes")
                file.write(name + ':' + QByteArray(value) + '\n');
        }
        afcKeyValueClose(info);
    }

    AMDeviceRef device = link->device.load();
    static const char* const keys[] = {"ProductVersion", "SerialNumber", "VolumeFormat",
                                       "DeviceName",     "ModelNumber",  "ProductType"};
    for (const char* key : keys) {
        if (CFStringRef value = copyDeviceValue(device, key))
            file.write(QByteArray(key) + ':' + cfStringBytes(value) + '\n');
    }
    file.write("DeviceIdentifier:" + cfStringBytes(copyDeviceIdentifier(device)) + '\n');
}

bool isBackupDone()
{
    return backupDone.load();
}

QByteArray deviceIdentifier(const DeviceLink* link)
{
    if (!link || !link->device.load())
        return {};
    return cfStringBytes(copyDeviceIdentifier(link->device.load()));
}

bool deviceEncryptsBackups(const DeviceLink* link)
{
    if (!link || !link->device.load())
        return false;
    return cfStringBytes(copyDeviceValue(link->device.load(), "com.apple.mobile.backup", "WillEncrypt")) == "true";
}
