#pragma once

// Runs one export (exporting::run) on a thread of its own, so that the
// window keeps painting and the progress line moves while a large source
// is written. Progress reaches the GUI thread as queued signals, at most one
// waiting at a time however fast the messages go; cancel() is honoured at
// the next message. The store must not change until finished() came.

#include "Export.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class AttachmentFiles;
class MessageStore;
class QThread;

class ExportRunner : public QObject
{
    Q_OBJECT
public:
    explicit ExportRunner(QObject* parent = nullptr);
    // Cancels a running export and waits for its thread.
    ~ExportRunner() override;

    // Starts the export; files (may be null) is used on the export's thread
    // only and goes with it. False when one is running already.
    bool start(MessageStore* store, std::unique_ptr<AttachmentFiles> files, const exporting::Options& options,
               const QString& target);
    bool isRunning() const { return m_thread != nullptr; }
    void cancel();

    // Test seam: called on the export's thread after each message, before
    // the cancel flag is looked at; lets a test hold the export at a
    // message of its choice. An empty function turns it off.
    using StepHook = std::function<void(qint64 done, qint64 total)>;
    static void setStepHookForTests(StepHook hook);

signals:
    void progressed(qint64 done, qint64 total);
    void finished(const exporting::Result& result);

private:
    void postProgress();

    QThread* m_thread = nullptr;
    std::unique_ptr<AttachmentFiles> m_files;
    exporting::Result m_result;
    std::atomic<bool> m_cancel{false};
    std::atomic<qint64> m_done{0};
    std::atomic<qint64> m_total{0};
    std::atomic<bool> m_progressPending{false};
};

Q_DECLARE_METATYPE(exporting::Result)
