#include "Attachment.h"

#include <QLocale>

namespace attachments {

const char* const kMediaDomain = "MediaDomain";

namespace {

bool hasClimbingPart(const QByteArray& path)
{
    const QList<QByteArray> parts = path.split('/');
    for (const QByteArray& part : parts) {
        if (part == "..")
            return true;
    }
    return false;
}

QByteArray extensionOf(const QByteArray& name)
{
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? QByteArray() : name.mid(dot + 1).toLower();
}

bool isSeparator(char c)
{
    return c == ' ' || c == '\n';
}

} // namespace

QByteArray textBesideAttachments(const QByteArray& text, const QVector<AttachmentRecord>& attachments)
{
    static const QByteArray objectReplacement("\xef\xbf\xbc"); // U+FFFC
    if (attachments.isEmpty())
        return text;
    QByteArray shown;
    shown.reserve(text.size());
    qsizetype from = 0;
    bool removed = false;
    for (const AttachmentRecord& a : attachments) {
        qsizetype at = text.indexOf(objectReplacement, from);
        qsizetype length = objectReplacement.size();
        if (!a.name.isEmpty()) {
            const QByteArray bracketed = '[' + a.name + ']';
            const qsizetype named = text.indexOf(bracketed, from);
            if (named >= 0 && (at < 0 || named < at)) {
                at = named;
                length = bracketed.size();
            }
        }
        if (at < 0)
            continue;
        shown += QByteArrayView(text).sliced(from, at - from);
        from = at + length;
        removed = true;
        // Of the separators on both sides one stays.
        if (from < text.size() && isSeparator(text.at(from)) && (shown.isEmpty() || isSeparator(shown.back())))
            ++from;
    }
    if (!removed)
        return text;
    shown += QByteArrayView(text).sliced(from);
    return shown.trimmed();
}

QByteArray backupPathOf(const QByteArray& phoneFileName)
{
    static const QByteArray prefixes[] = {"~/", "/var/mobile/", "/private/var/mobile/"};
    QByteArray path;
    for (const QByteArray& prefix : prefixes) {
        if (phoneFileName.startsWith(prefix)) {
            path = phoneFileName.mid(prefix.size());
            break;
        }
    }
    if (!path.startsWith("Library/") || path.contains('\0') || hasClimbingPart(path))
        return {};
    return path;
}

QByteArray legacyPartPath(const QByteArray& contentLocation)
{
    // A content location is a bare name; anything with a folder in it, or
    // that is a folder name itself, names no part file.
    if (contentLocation.isEmpty() || contentLocation.contains('/') || contentLocation.contains('\0') ||
        contentLocation == "." || contentLocation == "..")
        return {};
    return "Library/SMS/Parts/" + contentLocation;
}

AttachmentRecord::Kind kindOf(const QByteArray& mimeType, const QByteArray& uti, const QByteArray& name)
{
    using Kind = AttachmentRecord::Kind;
    const QByteArray mime = mimeType.toLower();
    if (mime.startsWith("image/"))
        return Kind::Picture;
    if (mime.startsWith("video/"))
        return Kind::Video;
    if (mime.startsWith("audio/"))
        return Kind::Voice;
    if (!mime.isEmpty() && mime != "application/octet-stream")
        return Kind::File;

    static const QByteArray pictureUtis[] = {"public.jpeg",        "public.png",  "public.heic",         "public.heif",
                                             "com.compuserve.gif", "public.tiff", "org.webmproject.webp"};
    static const QByteArray videoUtis[] = {"com.apple.quicktime-movie", "public.mpeg-4", "public.movie"};
    static const QByteArray voiceUtis[] = {"com.apple.coreaudio-format", "org.3gpp.adaptive-multi-rate-audio",
                                           "com.apple.m4a-audio", "public.mpeg-4-audio"};
    for (const QByteArray& u : pictureUtis)
        if (uti == u)
            return Kind::Picture;
    for (const QByteArray& u : videoUtis)
        if (uti == u)
            return Kind::Video;
    for (const QByteArray& u : voiceUtis)
        if (uti == u)
            return Kind::Voice;

    const QByteArray ext = extensionOf(name);
    static const QByteArray pictureExts[] = {"jpg", "jpeg", "png", "gif", "heic", "heif", "webp", "tif", "tiff"};
    static const QByteArray videoExts[] = {"mov", "mp4", "m4v", "3gp"};
    static const QByteArray voiceExts[] = {"caf", "amr", "m4a", "aac", "mp3", "wav"};
    for (const QByteArray& e : pictureExts)
        if (ext == e)
            return Kind::Picture;
    for (const QByteArray& e : videoExts)
        if (ext == e)
            return Kind::Video;
    for (const QByteArray& e : voiceExts)
        if (ext == e)
            return Kind::Voice;
    return Kind::File;
}

QString sizeText(qint64 bytes)
{
    if (bytes < 0)
        return {};
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace attachments

AttachmentRecord::Kind AttachmentRecord::kind() const
{
    return attachments::kindOf(mimeType, uti, name);
}

QString AttachmentRecord::shownName() const
{
    return QString::fromUtf8(name);
}
