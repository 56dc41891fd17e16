#pragma once

// Reads one source (a ".sms" backup, the phone's databases, a phone backup
// folder) on a worker thread, so that a file of a million messages never
// freezes the window: while the read runs, the window keeps painting, its
// timers fire and device reports are handled; what the user clicks or
// types into the window waits until the read is over. A read that takes
// longer than half a second shows a progress line over the pages, with a
// Cancel button that leaves the source unloaded.
//
// The stores are handed to the worker and come back filled: messages read,
// contact names set, the conversation list built. Nothing else touches them
// meanwhile; the window shows no store while a read runs.

#include "MessageStore.h"

#include <QByteArray>
#include <QFrame>
#include <QObject>

#include <functional>
#include <memory>

class ContactStore;
class QLabel;
class QProgressBar;
class QPushButton;

struct SourceRequest
{
    QByteArray messagesPath;
    QByteArray messagesWal;
    StoreAccess access = StoreAccess::ReadWrite;
    // Names come from the address book a ".sms" backup carries, or from the
    // phone's own address book (bookPath, with its write-ahead log).
    enum class Names { FromBackupFile, FromPhoneBook };
    Names names = Names::FromBackupFile;
    QByteArray bookPath;
    QByteArray bookWal;
};

// The line shown over the pages while a long read runs.
class LoadingLine : public QFrame
{
    Q_OBJECT
public:
    explicit LoadingLine(QWidget* parent = nullptr);
    void setProgress(qint64 done, qint64 total);

signals:
    void cancelRequested();

private:
    QLabel* m_text = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
};

class SourceLoader : public QObject
{
    Q_OBJECT
public:
    // window: the widget whose input waits during a read; the progress line
    // is laid over `area`.
    SourceLoader(QWidget* window, QWidget* area);
    ~SourceLoader() override;

    // Reads request into the stores (made when null), returning when the
    // read is done: true with the stores filled, false when it was
    // cancelled (then the stores are gone) or asked for while another read
    // runs (then they stay with that read).
    bool load(const SourceRequest& request, std::unique_ptr<MessageStore>& messages,
              std::unique_ptr<ContactStore>& contacts);

    bool isLoading() const { return m_loading; }
    // Ends the running read as if its Cancel had been pressed.
    void cancel();

    // Runs on the worker before each read (tests hold a read with it).
    static void setReadHook(std::function<void()> hook);

    // How long a read runs before its progress line shows (ms).
    static const int kShowAfterMs = 500;

signals:
    // The progress line came up (tests wait for it).
    void progressShown();
    // A read ended, done or cancelled.
    void loadEnded(bool done);
    void cancelNow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeLine();

    QWidget* m_window = nullptr;
    QWidget* m_area = nullptr;
    LoadingLine* m_line = nullptr;
    bool m_loading = false;
    bool m_cancelled = false;
    bool m_closeRequested = false;
};
