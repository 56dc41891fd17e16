#include "ExportRunner.h"

#include "AttachmentFiles.h"
#include "MessageStore.h"

#include <QThread>

namespace {

ExportRunner::StepHook& stepHook()
{
    static ExportRunner::StepHook hook;
    return hook;
}

} // namespace

void ExportRunner::setStepHookForTests(StepHook hook)
{
    stepHook() = std::move(hook);
}

ExportRunner::ExportRunner(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<exporting::Result>();
}

ExportRunner::~ExportRunner()
{
    if (m_thread) {
        cancel();
        m_thread->wait();
        delete m_thread;
    }
}

bool ExportRunner::start(MessageStore* store, std::unique_ptr<AttachmentFiles> files, const exporting::Options& options,
                         const QString& target)
{
    if (m_thread || !store)
        return false;
    m_files = std::move(files);
    m_cancel = false;
    m_done = 0;
    m_total = 0;
    m_progressPending = false;
    AttachmentFiles* attachments = m_files.get();
    const StepHook hook = stepHook();
    m_thread = QThread::create([this, store, attachments, options, target, hook] {
        m_result = exporting::run(*store, attachments, options, target, [this, &hook](qint64 done, qint64 total) {
            m_done = done;
            m_total = total;
            if (!m_progressPending.exchange(true))
                QMetaObject::invokeMethod(this, &ExportRunner::postProgress, Qt::QueuedConnection);
            if (hook)
                hook(done, total);
            return !m_cancel.load();
        });
        // The attachments were read on this thread only; they go here too.
        m_files.reset();
    });
    connect(m_thread, &QThread::finished, this, [this] {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        emit finished(m_result);
    });
    m_thread->start();
    return true;
}

void ExportRunner::cancel()
{
    m_cancel = true;
}

void ExportRunner::postProgress()
{
    m_progressPending = false;
    emit progressed(m_done.load(), m_total.load());
}
