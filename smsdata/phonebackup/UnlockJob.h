#pragma once

// Unlocking an encrypted backup's key bag on a worker thread, for callers
// with an event loop (the window): progress comes as a percentage, cancel()
// stops the derivation within a moment, and finished() tells once how it
// ended, on the thread that owns the job. Hand the keys to
// PhoneBackup::unlock(const UnlockedKeys&).

#include "KeyBag.h"

#include <QObject>

#include <atomic>
#include <memory>

class QThread;

namespace phonebackup {

class UnlockJob : public QObject
{
    Q_OBJECT

public:
    UnlockJob(const KeyBag& bag, const QByteArray& password, QObject* parent = nullptr);
    // Cancels a running derivation and waits for its thread.
    ~UnlockJob() override;

    // Starts the derivation; false when it already runs or ran.
    bool start();
    void cancel();
    bool isRunning() const;

signals:
    void progress(int percent);
    // keys is empty unless result is Unlocked; error is set on Failed.
    void finished(phonebackup::UnlockResult result, const phonebackup::UnlockedKeys& keys, const QString& error);

private:
    KeyBag m_bag;
    QByteArray m_password;
    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_lastPercent{-1};
    QThread* m_thread = nullptr;
    bool m_started = false;
};

} // namespace phonebackup

Q_DECLARE_METATYPE(phonebackup::UnlockResult)
Q_DECLARE_METATYPE(phonebackup::UnlockedKeys)
