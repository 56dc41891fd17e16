#pragma once

// Attached and removed phones. subscribeDeviceNotifications() loads the
// device library and subscribes; the library then calls onDeviceNotification()
// on a thread of its own, which runs the connect sequence (pairing checks,
// session, the services "com.apple.afc" and
// "com.apple.mobile.notification_proxy"), writes the device-information
// file "MobileInfo" into the working directory and reports the link state
// through the link notifier's validlink(bool).
//
// Only the atomics below and the handles in DeviceLink are shared between
// that thread and the GUI thread.

#include "support/MobileDeviceApi.h"

#include <QByteArray>

#include <atomic>

class DetectIphoneAction;

struct DeviceLink
{
    std::atomic<AFCConnectionRef> afcConnection{nullptr};
    // The device of the latest notification.
    std::atomic<AMDeviceRef> device{nullptr};
    std::atomic<AMServiceConnectionRef> notificationProxy{nullptr};
};

// True from any notification until a removal.
extern std::atomic<bool> linkUp;
// True once a backup of the linked phone has finished; cleared on removal.
extern std::atomic<bool> backupDone;

// The object whose validlink(bool) carries the reports; null: nothing is reported.
void setLinkNotifier(DetectIphoneAction* notifier);
DetectIphoneAction* linkNotifier();

// Loads the device library and subscribes. False (with "error = ..." on
// standard output) when the library cannot be loaded, or when the
// subscription fails.
bool subscribeDeviceNotifications(DeviceLink* link);
void onDeviceNotification(AMDeviceNotificationInfo* info, void* user);
void writeDeviceInfoFile(DeviceLink* link);
bool isBackupDone();

// The identifier of the linked device, as UTF-8 text: it names the phone's
// backup folder. Empty without a device or without the libraries.
QByteArray deviceIdentifier(const DeviceLink* link);

// True when the linked phone encrypts its backups (lockdown's "WillEncrypt"
// in "com.apple.mobile.backup"): its fresh backup then needs the password.
// False without a device, without the libraries, or when the phone does
// not say.
bool deviceEncryptsBackups(const DeviceLink* link);

// How long the connect sequence waits before it starts the notification
// service a second time.
constexpr int kNotificationRetryMs = 2000;
