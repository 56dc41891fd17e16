#pragma once

// The updater's download engine: fetches a queue of web addresses one after
// another into a download folder, reports progress and speed of the running
// transfer and, once the queue has run empty, how many files arrived. Every
// event also becomes one console line; the lines go through a replaceable
// sink so that they can be captured.
//
// Only a 2xx answer that carries data counts as a download: redirects are
// not followed and, like every other answer, end as a failure that leaves
// no file behind. A target is only ever created, never overwritten or
// written through, so a name that turns up after it was chosen is left alone.
//
// Only http and https addresses are fetched. A transfer that brings no data
// for stallTimeoutMs (the server sends nothing, or its head and then nothing)
// fails. The data goes into a hidden file of the download folder
// (".update-<process id>-<n>.part") that takes its real name only when the
// transfer is complete; what a killed run left of such files is removed
// when the next run starts (and again before its first transfer into a
// folder).
//
// Only Qt Core and Network are used here, so the engine can be driven
// without any window.

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QObject>
#include <QQueue>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <functional>

class QNetworkReply;

class DownloadManager : public QObject
{
    Q_OBJECT
public:
    enum class Stream { Out, Err };
    using ConsoleSink = std::function<void(Stream stream, const QByteArray& line)>;

    explicit DownloadManager(QObject* parent = nullptr);
    ~DownloadManager() override;

    void append(const QUrl& url);
    void append(const QStringList& urlList);

    // Full path the address would be saved to now; nothing is reserved.
    QString saveFileName(const QUrl& url) const;
    // Path chosen for the address taken last from the queue.
    QString currentFileName() const { return m_currentFileName; }

    // Defaults to the user's download folder.
    void setDownloadFolder(const QString& folder);
    QString downloadFolder() const { return m_downloadFolder; }

    // The default sink writes to the C standard streams and flushes them.
    void setConsoleSink(ConsoleSink sink);

    int downloaded() const { return downloadedCount; }
    int total() const { return totalCount; }

    // How long a transfer may bring no data before it fails (ms).
    static constexpr int defaultStallTimeoutMs = 30000;
    void setStallTimeout(int ms) { m_stallTimeoutMs = ms; }

    // Removes what killed runs left in the folder: the partial files of
    // processes that are gone. Returns how many were removed.
    static int removeLeftovers(const QString& folder);

    // Runs with each path just before the download takes it as its name;
    // lets a test plant a file or a link there. An empty function removes
    // the hook.
    void setBeforeOpenForTests(std::function<void(const QString& path)> hook);

    // Longest file name in bytes (UTF-8) that common file systems take.
    static constexpr int maxNameBytes = 255;
    // Room kept for a "." and the ten digits of the largest ".0", ".1" number.
    static constexpr int suffixRoomBytes = 11;

    // The last path component of the address, made safe to use as a plain
    // file name inside the download folder; "download" when nothing usable
    // is left. An over-long name is cut between characters, keeping its
    // extension, so that it fits in maxNameBytes - suffixRoomBytes.
    static QString fileNameForUrl(const QUrl& url);
    // "512.0 bytes/sec", "1.5 kB/s", "2.3 MB/s".
    static QString speedText(double bytesPerSecond);
    // Bytes per second for a transfer; a report before the first
    // millisecond counts as one millisecond.
    static double speedOf(qint64 bytesReceived, qint64 elapsedMs);

signals:
    void finished(int downloadedCount, int totalCount);
    void progress(qint64 bytesReceived, qint64 bytesTotal, const QString& speed);
    void startNextTask(int current, int total);

private slots:
    void startNextDownload();
    void downloadProgress(qint64 bytesReceived, qint64 bytesTotal);
    void downloadFinished();
    void downloadReadyRead();

private:
    void print(Stream stream, const QByteArray& line);
    // Creates the partial file for the address and sets m_currentFileName
    // to the name it should get.
    bool openTarget(const QUrl& url);
    // Gives the complete partial file its real name (the chosen one, or the
    // next free one when that was taken meanwhile); the reason when not.
    QByteArray giveRealName(const QUrl& url);
    void onStalled();
    // False when the file refused the data; the reason is kept.
    bool writeChunk(const QByteArray& data);

    QNetworkAccessManager manager;
    QQueue<QUrl> downloadQueue;
    QNetworkReply* currentDownload = nullptr;
    QFile output;
    QElapsedTimer downloadTime;
    int downloadedCount = 0;
    int totalCount = 0;
    int currentIndex = 0;
    QString m_currentFileName;
    QString m_downloadFolder;
    QString m_writeError;
    QString m_partPath;
    QUrl m_currentUrl;
    qint64 m_bodyBytes = 0;
    int m_stallTimeoutMs = defaultStallTimeoutMs;
    bool m_stalled = false;
    QTimer* m_stallTimer = nullptr;
    QStringList m_sweptFolders;
    ConsoleSink m_sink;
    std::function<void(const QString&)> m_beforeOpen;
};
