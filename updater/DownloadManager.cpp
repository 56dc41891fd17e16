#include "DownloadManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QTimer>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>
#endif

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
      m_stallTimer(new QTimer(this)), m_sink(writeToStdStream)
{
    m_stallTimer->setSingleShot(true);
    connect(m_stallTimer, &QTimer::timeout, this, &DownloadManager::onStalled);
}

DownloadManager::~DownloadManager()
{
    // The reply outlives this object's members for a moment; it must not
    // report back into them. What it wrote so far is half a file, which
    // nobody must take for the whole one.
    if (currentDownload) {
        currentDownload->disconnect(this);
        currentDownload->abort();
        output.close();
        QFile::remove(m_partPath);
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

void DownloadManager::setBeforeOpenForTests(std::function<void(const QString& path)> hook)
{
    m_beforeOpen = std::move(hook);
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

namespace {

// An extension longer than this is more likely a part of the name itself.
constexpr qsizetype longestKeptExtension = 32;

// Lone surrogates are replaced before any length is taken, so every unit
// here is a whole character or the first half of a pair.
qsizetype utf8Width(QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c))
        return 4;
    return c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
}

qsizetype utf8Length(QStringView text)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); i += QChar::isHighSurrogate(text[i].unicode()) ? 2 : 1)
        bytes += utf8Width(text, i);
    return bytes;
}

// The longest start of the text that fits in maxBytes of UTF-8.
QStringView utf8Prefix(QStringView text, qsizetype maxBytes)
{
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype width = utf8Width(text, i);
        if (bytes + width > maxBytes)
            break;
        bytes += width;
        i += width == 4 ? 2 : 1;
    }
    return text.left(i);
}

QString fitName(const QString& name, qsizetype maxBytes)
{
    if (utf8Length(name) <= maxBytes)
        return name;
    // "setup.exe" must stay something the desktop knows how to open.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    QStringView extension;
    if (dot > 0 && utf8Length(QStringView(name).mid(dot)) <= longestKeptExtension)
        extension = QStringView(name).mid(dot);
    const QStringView stem = QStringView(name).left(name.size() - extension.size());
    return utf8Prefix(stem, maxBytes - utf8Length(extension)).toString() + extension.toString();
}

} // namespace

QString DownloadManager::fileNameForUrl(const QUrl& url)
{
    QString name = QFileInfo(url.path()).fileName();
    // A decoded "%5C" must not act as a folder separator where the
    // platform takes it for one.
    const qsizetype backslash = name.lastIndexOf(QLatin1Char('\\'));
    if (backslash >= 0)
        name = name.mid(backslash + 1);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        // Half a surrogate pair cannot be written as a file name at all.
        if (c.unicode() < 0x20 || c == QLatin1Char(':') || c.isSurrogate())
            name[i] = QLatin1Char('_');
    }
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("download");
    return fitName(name, maxNameBytes - suffixRoomBytes);
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

namespace {

// ".update-<process id>-<n>.part"
const QRegularExpression& partName()
{
    static const QRegularExpression pattern(QStringLiteral("^\\.update-(\\d{1,10})-\\d{1,10}\\.part$"));
    return pattern;
}

bool processAlive(qint64 pid)
{
#ifdef Q_OS_UNIX
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#else
    Q_UNUSED(pid);
    return true;
#endif
}

// Gives `from` the name `to` unless something (a file, a link, a folder)
// has that name already.
bool renameNoReplace(const QString& from, const QString& to, QString* why)
{
#ifdef Q_OS_LINUX
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // A file system without that kind of rename: a second link fails as
    // well when the name is taken.
    if (::link(source.constData(), target.constData()) != 0) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    ::unlink(source.constData());
    return true;
#else
    QFile file(from);
    if (file.rename(to))
        return true;
    *why = file.errorString();
    return false;
#endif
}

} // namespace

int DownloadManager::removeLeftovers(const QString& folder)
{
    if (folder.isEmpty())
        return 0;
    const QDir dir(folder);
    const qint64 self = QCoreApplication::applicationPid();
    int removed = 0;
    const QStringList names = dir.entryList({QStringLiteral(".update-*.part")}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = partName().match(name);
        if (!match.hasMatch())
            continue;
        const qint64 pid = match.captured(1).toLongLong();
        // This run has made none yet when it sweeps; one with its own
        // number is from an earlier process of that number.
        if (pid != self && processAlive(pid))
            continue;
        if (QFile::remove(dir.filePath(name)))
            ++removed;
    }
    return removed;
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
        m_writeError.clear();
        m_bodyBytes = 0;
        m_stalled = false;
        m_currentUrl = url;

        const QString scheme = url.scheme().toLower();
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
            print(Stream::Err, "Failed: " + url.toEncoded() + " is not an http or https address\n");
            continue;
        }

        // A fresh account may not have a download folder yet.
        if (!m_downloadFolder.isEmpty()) {
            QDir().mkpath(m_downloadFolder);
            if (!m_sweptFolders.contains(m_downloadFolder)) {
                m_sweptFolders.append(m_downloadFolder);
                removeLeftovers(m_downloadFolder);
            }
        }
        if (!openTarget(url)) {
            print(Stream::Err, "Problem opening save file '" + m_currentFileName.toLocal8Bit() + "' for download '" +
                                   url.toEncoded() + "': " + output.errorString().toLocal8Bit() + '\n');
            continue;
        }

        QNetworkRequest request(url);
        // A redirect is never followed; its answer ends as a failure.
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        currentDownload = manager.get(request);
        connect(currentDownload, &QNetworkReply::downloadProgress, this, &DownloadManager::downloadProgress);
        connect(currentDownload, &QNetworkReply::finished, this, &DownloadManager::downloadFinished);
        connect(currentDownload, &QNetworkReply::readyRead, this, &DownloadManager::downloadReadyRead);
        // Waiting for the answer counts as much as waiting for its data.
        m_stallTimer->start(m_stallTimeoutMs);

        print(Stream::Out, "Downloading " + url.toEncoded() + "...\n");
        downloadTime.start();
        emit startNextTask(currentIndex, totalCount);
        return;
    }
}

bool DownloadManager::openTarget(const QUrl& url)
{
    // The name was free when it was chosen, but another program may take it
    // before the open. The open only ever creates: a file or a link that
    // turned up meanwhile is neither truncated nor written through, and the
    // next name of the ".0", ".1" rule is tried. Someone who keeps taking
    // the names cannot hold the queue for ever.
    // The real name is only tried here, never kept: the data goes into a
    // partial file, so that no half download ever lies under a name that
    // looks like the whole one.
    constexpr int attempts = 16;
    bool free = false;
    for (int attempt = 0; attempt < attempts && !free; ++attempt) {
        m_currentFileName = saveFileName(url);
        if (m_beforeOpen)
            m_beforeOpen(m_currentFileName);
        output.setFileName(m_currentFileName);
        if (output.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            output.close();
            output.remove();
            free = true;
        } else if (!taken(m_currentFileName)) {
            return false;
        }
    }
    if (!free)
        return false;
    static int partCounter = 0;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        m_partPath = m_downloadFolder +
                     QStringLiteral("/.update-%1-%2.part").arg(QCoreApplication::applicationPid()).arg(++partCounter);
        output.setFileName(m_partPath);
        if (output.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            return true;
        if (!taken(m_partPath))
            return false;
    }
    return false;
}

QByteArray DownloadManager::giveRealName(const QUrl& url)
{
    // The name chosen at the start, unless another program took it since:
    // then the next free one, as at the start.
    QString why;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = attempt == 0 ? m_currentFileName : saveFileName(url);
        if (renameNoReplace(m_partPath, name, &why)) {
            m_currentFileName = name;
            return {};
        }
        if (!taken(name))
            break;
    }
    return "the file cannot be saved as '" + m_currentFileName.toLocal8Bit() + "': " + why.toLocal8Bit();
}

void DownloadManager::onStalled()
{
    if (!currentDownload)
        return;
    m_stalled = true;
    currentDownload->abort();
}

namespace {

// The server's own words go to a console: only plain printable ASCII of
// them, and not too much.
QByteArray printable(const QString& text)
{
    QByteArray result;
    for (const QChar c : QStringView(text).left(80))
        result += c.unicode() >= 0x20 && c.unicode() <= 0x7e ? char(c.unicode()) : '?';
    return result;
}

// Why an answer that came without a network error is still no download;
// empty when it is one. Only a 2xx with data is: a redirect's body, say, is
// a page about the file, not the file.
QByteArray answerProblem(const QNetworkReply& reply, qint64 bodyBytes)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // Not a web address (a local file, say): nothing but the data to judge.
    if (!status.isValid())
        return bodyBytes > 0 ? QByteArray() : QByteArrayLiteral("no data received");

    const int code = status.toInt();
    QByteArray text = "HTTP " + QByteArray::number(code);
    const QByteArray reason = printable(reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
    if (!reason.isEmpty())
        text += ' ' + reason;
    if (code < 200 || code > 299)
        return text;
    if (bodyBytes == 0)
        return text + " without data";
    return {};
}

} // namespace

void DownloadManager::downloadProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    if (currentDownload && sender() == currentDownload)
        m_stallTimer->start(m_stallTimeoutMs);
    const double speed = speedOf(bytesReceived, downloadTime.isValid() ? downloadTime.elapsed() : 0);
    emit progress(bytesReceived, bytesTotal, speedText(speed));
}

void DownloadManager::downloadFinished()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply || reply != currentDownload)
        return;
    m_stallTimer->stop();

    // Whatever the reply still holds belongs to the file as well.
    if (m_writeError.isEmpty() && reply->bytesAvailable() > 0)
        writeChunk(reply->readAll());
    output.close();

    QByteArray problem;
    if (m_stalled)
        problem = "no data for " + QByteArray::number(m_stallTimeoutMs / 1000.0) + " seconds";
    else if (!m_writeError.isEmpty())
        problem = m_writeError.toLocal8Bit();
    else if (reply->error() != QNetworkReply::NoError)
        problem = reply->errorString().toLocal8Bit();
    else
        problem = answerProblem(*reply, m_bodyBytes);
    if (problem.isEmpty())
        problem = giveRealName(m_currentUrl);

    if (problem.isEmpty()) {
        print(Stream::Out, "Succeeded.\n");
        ++downloadedCount;
    } else {
        print(Stream::Err, "Failed: " + problem + '\n');
        // Half a file, or an error page, would be taken for the download
        // later; it never had the real name.
        QFile::remove(m_partPath);
    }

    currentDownload = nullptr;
    reply->deleteLater();
    startNextDownload();
}

void DownloadManager::downloadReadyRead()
{
    if (!currentDownload || sender() != currentDownload)
        return;
    m_stallTimer->start(m_stallTimeoutMs);
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
        m_bodyBytes += n;
    }
    return true;
}
