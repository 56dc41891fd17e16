#include "DownloadManager.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>
#include <QTimer>

#include <cmath>
#include <cstdio>

namespace {

void writeToStdStream(DownloadManager::Stream stream, const QByteArray& line)
{
    FILE* out = stream == DownloadManager::Stream::Out ? stdout : stderr;
    std::fwrite(line.constData(), 1, size_t(line.size()), out);
    std::fflush(out);
}

} // namespace

DownloadManager::DownloadManager(QObject* parent)
    : QObject(parent), m_downloadFolder(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)),
      m_sink(writeToStdStream)
{
}

DownloadManager::~DownloadManager()
{
    // The reply outlives this object's members for a moment; it must not
    // report back into them.
    if (currentDownload) {
        currentDownload->disconnect(this);
        currentDownload->abort();
    }
}

void DownloadManager::setDownloadFolder(const QString& folder)
{
    m_downloadFolder = folder;
}

void DownloadManager::setConsoleSink(ConsoleSink sink)
{
    m_sink = sink ? std::move(sink) : ConsoleSink(writeToStdStream);
}

void DownloadManager::print(Stream stream, const QByteArray& line)
{
    m_sink(stream, line);
}

void DownloadManager::append(const QUrl& url)
{
    // The first transfer waits for the event loop, so that the owner can
    // connect to the signals after appending.
    if (downloadQueue.isEmpty())
        QTimer::singleShot(0, this, &DownloadManager::startNextDownload);

    downloadQueue.enqueue(url);
    ++totalCount;
}

void DownloadManager::append(const QStringList& urlList)
{
    for (const QString& text : urlList)
        append(QUrl::fromEncoded(text.toLocal8Bit()));
}

QString DownloadManager::fileNameForUrl(const QUrl& url)
{
    QString name = QFileInfo(url.path()).fileName();
    // A decoded "%5C" must not act as a folder separator where the
    // platform takes it for one.
    const qsizetype backslash = name.lastIndexOf(QLatin1Char('\\'));
    if (backslash >= 0)
        name = name.mid(backslash + 1);
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c == QLatin1Char(':'))
            c = QLatin1Char('_');
    }
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("download");
    return name;
}

namespace {

// A link whose target is gone does not "exist", yet opening it would write
// wherever it points; it counts as taken.
bool taken(const QString& path)
{
    return QFile::exists(path) || QFileInfo(path).isSymLink();
}

} // namespace

QString DownloadManager::saveFileName(const QUrl& url) const
{
    QString basename = fileNameForUrl(url);
    const QString prefix = m_downloadFolder + QLatin1Char('/');

    if (taken(prefix + basename)) {
        basename += QLatin1Char('.');
        int i = 0;
        while (taken(prefix + basename + QString::number(i)))
            ++i;
        basename += QString::number(i);
    }
    return prefix + basename;
}

double DownloadManager::speedOf(qint64 bytesReceived, qint64 elapsedMs)
{
    return double(qMax<qint64>(bytesReceived, 0)) * 1000.0 / double(qMax<qint64>(elapsedMs, 1));
}

QString DownloadManager::speedText(double bytesPerSecond)
{
    double speed = std::isfinite(bytesPerSecond) && bytesPerSecond > 0 ? bytesPerSecond : 0.0;
    QString unit;
    if (speed < 1024) {
        unit = QStringLiteral("bytes/sec");
    } else if (speed < 1024 * 1024) {
        speed /= 1024;
        unit = QStringLiteral("kB/s");
    } else {
        speed /= 1024 * 1024;
        unit = QStringLiteral("MB/s");
    }
    return QStringLiteral("%1 %2").arg(speed, 3, 'f', 1).arg(unit);
}

void DownloadManager::startNextDownload()
{
    // An address whose file cannot be opened is skipped at once; a loop
    // rather than a call per address keeps a long list of them off the stack.
    for (;;) {
        if (downloadQueue.isEmpty()) {
            print(Stream::Out, QByteArray::number(downloadedCount) + '/' + QByteArray::number(totalCount) +
                                   " files downloaded successfully\n");
            emit finished(downloadedCount, totalCount);
            return;
        }

        ++currentIndex;
        const QUrl url = downloadQueue.dequeue();
        m_currentFileName = saveFileName(url);
        m_writeError.clear();

        // A fresh account may not have a download folder yet.
        if (!m_downloadFolder.isEmpty())
            QDir().mkpath(m_downloadFolder);
        output.setFileName(m_currentFileName);
        if (!output.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            print(Stream::Err, "Problem opening save file '" + m_currentFileName.toLocal8Bit() + "' for download '" +
                                   url.toEncoded() + "': " + output.errorString().toLocal8Bit() + '\n');
            continue;
        }

        QNetworkRequest request(url);
        // A redirect answer is saved as it is, never followed.
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        currentDownload = manager.get(request);
        connect(currentDownload, &QNetworkReply::downloadProgress, this, &DownloadManager::downloadProgress);
        connect(currentDownload, &QNetworkReply::finished, this, &DownloadManager::downloadFinished);
        connect(currentDownload, &QNetworkReply::readyRead, this, &DownloadManager::downloadReadyRead);

        print(Stream::Out, "Downloading " + url.toEncoded() + "...\n");
        downloadTime.start();
        emit startNextTask(currentIndex, totalCount);
        return;
    }
}

void DownloadManager::downloadProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    const double speed = speedOf(bytesReceived, downloadTime.isValid() ? downloadTime.elapsed() : 0);
    emit progress(bytesReceived, bytesTotal, speedText(speed));
}

void DownloadManager::downloadFinished()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply || reply != currentDownload)
        return;

    // Whatever the reply still holds belongs to the file as well.
    if (m_writeError.isEmpty() && reply->bytesAvailable() > 0)
        writeChunk(reply->readAll());
    output.close();

    if (!m_writeError.isEmpty()) {
        print(Stream::Err, "Failed: " + m_writeError.toLocal8Bit() + '\n');
    } else if (reply->error() != QNetworkReply::NoError) {
        print(Stream::Err, "Failed: " + reply->errorString().toLocal8Bit() + '\n');
    } else {
        print(Stream::Out, "Succeeded.\n");
        ++downloadedCount;
    }

    currentDownload = nullptr;
    reply->deleteLater();
    startNextDownload();
}

void DownloadManager::downloadReadyRead()
{
    if (!currentDownload || sender() != currentDownload)
        return;
    const QByteArray data = currentDownload->readAll();
    if (!m_writeError.isEmpty() || writeChunk(data))
        return;

    // A full disk must not end as "Succeeded." with half a file: stop the
    // transfer, and its end reports the file's error.
    currentDownload->abort();
}

bool DownloadManager::writeChunk(const QByteArray& data)
{
    // Unbuffered, a short write shows at once; writing on after it brings
    // out the system's reason (a full disk, a size limit).
    qint64 written = 0;
    while (written < data.size()) {
        const qint64 n = output.write(data.constData() + written, data.size() - written);
        if (n <= 0) {
            m_writeError = output.errorString();
            return false;
        }
        written += n;
    }
    return true;
}
