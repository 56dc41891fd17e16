#include "UnlockJob.h"

#include "BackupCrypto.h"

#include <QThread>

namespace phonebackup {

UnlockJob::UnlockJob(const KeyBag& bag, const QByteArray& password, QObject* parent)
    : QObject(parent), m_bag(bag), m_password(password)
{
    m_password.detach();
    qRegisterMetaType<phonebackup::UnlockResult>();
    qRegisterMetaType<phonebackup::UnlockedKeys>();
}

UnlockJob::~UnlockJob()
{
    cancel();
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
    crypto::wipe(m_password);
}

bool UnlockJob::start()
{
    if (m_started)
        return false;
    m_started = true;
    m_thread = QThread::create([this] {
        UnlockedKeys keys;
        QString error;
        const UnlockResult result = unlockKeyBag(
            m_bag, m_password, &keys,
            [this](quint64 done, quint64 total) {
                const int percent = total ? int(done * 100 / total) : 100;
                if (m_lastPercent.exchange(percent) != percent)
                    QMetaObject::invokeMethod(
                        this, [this, percent] { emit progress(percent); }, Qt::QueuedConnection);
                return !m_cancel.load();
            },
            &error);
        crypto::wipe(m_password);
        // Delivered on the job's thread once the worker is done with it; a
        // job destroyed meanwhile waits for this thread, so `this` is alive.
        QMetaObject::invokeMethod(
            this,
            [this, result, keys, error] {
                if (m_thread)
                    m_thread->wait();
                emit finished(result, keys, error);
            },
            Qt::QueuedConnection);
    });
    m_thread->start();
    return true;
}

void UnlockJob::cancel()
{
    m_cancel = true;
}

bool UnlockJob::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

} // namespace phonebackup
