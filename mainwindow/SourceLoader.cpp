#include "SourceLoader.h"

#include "ContactStore.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

// Everything a read works on, shared by the worker and the window: a read
// that was cancelled goes on to its end in the background, with its own
// copy of all it touches.
struct ReadJob
{
    SourceRequest request;
    std::unique_ptr<MessageStore> messages;
    std::unique_ptr<ContactStore> contacts;
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    std::atomic<bool> finished{false};
};

std::function<void()>& readHook()
{
    static std::function<void()> hook;
    return hook;
}

void runRead(ReadJob& job)
{
    const SourceRequest& request = job.request;
    if (!job.messages)
        job.messages = std::make_unique<MessageStore>();
    job.messages->close();
    ReadOptions options;
    options.access = request.access;
    options.walPath = request.messagesWal;
    options.progress = [&job](qint64 done, qint64 total) {
        job.total.store(total);
        job.done.store(done);
    };
    job.messages->reload(request.messagesPath, options);
    job.messages->setDeletesAllowed(request.access == StoreAccess::ReadWrite);

    if (!job.contacts)
        job.contacts = std::make_unique<ContactStore>(QByteArray());
    if (request.names == SourceRequest::Names::FromBackupFile)
        job.contacts->readBackupAddressBook(request.messagesPath);
    else
        job.contacts->readPhoneAddressBook(request.bookPath, request.bookWal);
    fillContactNames(*job.messages, *job.contacts);
    job.messages->buildConversationList();
}

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

// Reads cancelled by the user that still run; the window waits for them
// when it goes, so that no worker outlives what it links against.
std::vector<QPointer<QThread>>& runningReads()
{
    static std::vector<QPointer<QThread>> threads;
    return threads;
}

} // namespace

LoadingLine::LoadingLine(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("LoadingLine"));
    m_text = new QLabel(tr("Reading messages..."), this);
    m_text->setObjectName(QStringLiteral("labelLoading"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progressBarLoading"));
    m_bar->setRange(0, 0);
    m_bar->setTextVisible(false);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("pushButtonCancelLoading"));
    connect(m_cancel, &QPushButton::clicked, this, &LoadingLine::cancelRequested);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 6, 8, 6);
    layout->setSpacing(10);
    layout->addWidget(m_text);
    layout->addWidget(m_bar, 1);
    layout->addWidget(m_cancel);
}

void LoadingLine::setProgress(qint64 done, qint64 total)
{
    if (total <= 0) {
        // The size is not known yet: a moving bar.
        m_bar->setRange(0, 0);
        return;
    }
    m_bar->setRange(0, 1000);
    m_bar->setValue(int(qBound<qint64>(0, done * 1000 / total, qint64(1000))));
}

SourceLoader::SourceLoader(QWidget* window, QWidget* area) : QObject(window), m_window(window), m_area(area)
{
    m_area->installEventFilter(this);
}

SourceLoader::~SourceLoader()
{
    for (const QPointer<QThread>& thread : runningReads()) {
        if (thread)
            thread->wait();
    }
    runningReads().clear();
}

void SourceLoader::placeLine()
{
    if (!m_line)
        return;
    const int height = m_line->sizeHint().height();
    const int margin = 12;
    m_line->setGeometry(margin, m_area->height() - height - margin, m_area->width() - 2 * margin, height);
    m_line->raise();
}

bool SourceLoader::load(const SourceRequest& request, std::unique_ptr<MessageStore>& messages,
                        std::unique_ptr<ContactStore>& contacts)
{
    // One read at a time: the stores are the running read's until it ends.
    if (m_loading)
        return false;
    auto& threads = runningReads();
    threads.erase(std::remove(threads.begin(), threads.end(), nullptr), threads.end());
    auto job = std::make_shared<ReadJob>();
    job->request = request;
    job->messages = std::move(messages);
    job->contacts = std::move(contacts);

    m_loading = true;
    m_cancelled = false;
    m_closeRequested = false;
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::BusyCursor);

    QEventLoop loop;
    QThread* thread = QThread::create([job, hook = readHook()] {
        if (hook)
            hook();
        runRead(*job);
        job->finished.store(true);
    });
    connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    runningReads().emplace_back(thread);

    QTimer showTimer;
    showTimer.setSingleShot(true);
    connect(&showTimer, &QTimer::timeout, this, [this, job] {
        if (!m_line) {
            m_line = new LoadingLine(m_area);
            connect(m_line, &LoadingLine::cancelRequested, this, &SourceLoader::cancel);
        }
        m_line->setProgress(job->done.load(), job->total.load());
        placeLine();
        m_line->show();
        emit progressShown();
    });
    QTimer progressTimer;
    connect(&progressTimer, &QTimer::timeout, this, [this, job] {
        if (m_line && m_line->isVisible())
            m_line->setProgress(job->done.load(), job->total.load());
    });
    connect(this, &SourceLoader::cancelNow, &loop, &QEventLoop::quit);

    thread->start();
    showTimer.start(kShowAfterMs);
    progressTimer.start(100);
    // Until the worker is done, or the user cancels.
    if (!thread->isFinished() && !m_cancelled)
        loop.exec();

    showTimer.stop();
    progressTimer.stop();
    if (m_line)
        m_line->hide();
    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(this);
    m_loading = false;

    // The application may end every event loop at once (quit): a read not
    // over by then counts as cancelled.
    const bool done = !m_cancelled && job->finished.load();
    if (done) {
        // The worker is over (finished came); the stores are ours.
        messages = std::move(job->messages);
        contacts = std::move(job->contacts);
    }
    if (m_closeRequested)
        QMetaObject::invokeMethod(m_window->window(), "close", Qt::QueuedConnection);
    emit loadEnded(done);
    return done;
}

void SourceLoader::setReadHook(std::function<void()> hook)
{
    readHook() = std::move(hook);
}

void SourceLoader::cancel()
{
    if (!m_loading || m_cancelled)
        return;
    m_cancelled = true;
    emit cancelNow();
}

bool SourceLoader::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_area && event->type() == QEvent::Resize) {
        placeLine();
        return false;
    }
    if (!m_loading)
        return false;
    if ((watched == m_window || watched == m_window->window()) && event->type() == QEvent::Close) {
        // Closing stops the read; the window closes once it has let go.
        m_closeRequested = true;
        event->ignore();
        cancel();
        return true;
    }
    if (isUserInput(event->type()) && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        const bool onLine = m_line && (widget == m_line || m_line->isAncestorOf(widget));
        if (!onLine && widget->window() == m_window->window())
            return true;
    }
    return false;
}
