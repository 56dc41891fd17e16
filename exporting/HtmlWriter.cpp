#include "HtmlWriter.h"

#include "AttachmentFiles.h"
#include "ConversationKey.h"
#include "HtmlPage.h"
#include "PictureDecoder.h"
#include "SafeFileName.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLocale>

namespace exporting {

namespace {

struct Export
{
    Q_DECLARE_TR_FUNCTIONS(Export)
};

using html::escaped;

// Pictures are converted no larger than this: enough for any screen, and
// the decoder's own bounds keep hostile files out.
constexpr int kPictureBound = 4096;
// The largest side of a picture in a bubble, in CSS pixels.
constexpr int kShownPicture = 320;
// The sender colours of the chat page.
constexpr int kSenderTones = 6;

// Whether every browser shows a picture with this beginning as it is.
bool browserShows(const QByteArray& head)
{
    return head.startsWith("\xff\xd8\xff") || head.startsWith("\x89PNG\r\n\x1a\n") || head.startsWith("GIF87a") ||
           head.startsWith("GIF89a") || (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP");
}

QByteArray headOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(16) : QByteArray();
}

QString sizeText(qint64 bytes)
{
    return bytes >= 0 ? QLocale().formattedDataSize(bytes) : QString();
}

QString dayText(const QString& isoDay)
{
    const QDate day = QDate::fromString(isoDay, Qt::ISODate);
    return day.isValid() ? QLocale().toString(day, QLocale::LongFormat) : isoDay;
}

// The reaction badge ("❤️ 2  👍") as parts: each emoji with its count.
QString badgeHtml(const QString& badge)
{
    QString out = QStringLiteral("<div class=\"react\">");
    for (const QString& part : badge.split(QStringLiteral("  "), Qt::SkipEmptyParts)) {
        const qsizetype space = part.indexOf(QLatin1Char(' '));
        out += QLatin1String("<span class=\"p\">");
        if (space < 0) {
            out += escaped(part);
        } else {
            out += escaped(part.left(space)) + QLatin1String("<span class=\"n\">") + escaped(part.mid(space + 1)) +
                   QLatin1String("</span>");
        }
        out += QLatin1String("</span>");
    }
    return out + QLatin1String("</div>");
}

// An attachment shown by its name alone: not included, not in the source,
// or not copied (note says why).
QString nameTile(const QString& name, const QString& note)
{
    QString out = QLatin1String(note.isEmpty() ? "<span class=\"att file\">" : "<span class=\"att file missing\">") +
                  escaped(name);
    if (!note.isEmpty())
        out += QStringLiteral(" \u2014 ") + escaped(note);
    return out + QLatin1String("</span>");
}

} // namespace

QString HtmlWriter::attachmentFolder()
{
    return QStringLiteral("attachments");
}

QString HtmlWriter::pageName(int n)
{
    return QStringLiteral("conversation-%1.html").arg(n, 4, 10, QLatin1Char('0'));
}

bool HtmlWriter::begin(QIODevice*, const QString& folder, QString* why)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        *why = Export::tr("%1: not a folder").arg(folder);
        return false;
    }
    m_folder = folder;
    m_attachmentFolderMade = false;
    m_entries.clear();
    return true;
}

bool HtmlWriter::put(QFile& file, const QString& text, QString* why)
{
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) == bytes.size())
        return true;
    *why = Export::tr("%1: cannot be written (%2)").arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
    return false;
}

bool HtmlWriter::write(const ExportConversation& conversation, QString* why)
{
    const QVector<MessageRecord>& messages = conversation.messages;
    if (messages.isEmpty())
        return true;
    Entry entry;
    entry.name = conversation.name;
    entry.key = conversationkey::toText(conversation.key);
    entry.page = pageName(int(m_entries.size()) + 1);
    entry.messages = messages.size();
    entry.latest = messages.constLast().time;

    QFile page(QDir(m_folder).filePath(entry.page));
    if (!page.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *why =
            Export::tr("%1: cannot be written (%2)").arg(QDir::toNativeSeparators(page.fileName()), page.errorString());
        return false;
    }
    const QString first = localTimeText(messages.constFirst().time).left(10);
    const QString last = localTimeText(entry.latest).left(10);
    QString sub = escaped(entry.key) + QStringLiteral(" \u00b7 ") + escaped(messageCountText(entry.messages)) +
                  QStringLiteral(" \u00b7 ") +
                  escaped(first == last ? first : first + QStringLiteral(" \u2013 ") + last);
    QString head = QString::fromUtf8(html::pageStart(conversation.name)) +
                   QStringLiteral("<header><a class=\"back\" href=\"index.html\">\u2190 ") +
                   escaped(Export::tr("All conversations")) + QLatin1String("</a>\n<h1>") + escaped(conversation.name) +
                   QLatin1String("</h1>\n<p class=\"sub\">") + sub + QLatin1String("</p></header>\n");
    if (!put(page, head, why))
        return false;

    QString day;
    for (const MessageRecord& m : messages) {
        QString chunk;
        const QString local = localTimeText(m.time);
        if (local.left(10) != day) {
            day = local.left(10);
            chunk +=
                QLatin1String("<div class=\"day\"><span>") + escaped(dayText(day)) + QLatin1String("</span></div>\n");
        }
        chunk += messageHtml(conversation, m, local);
        if (!put(page, chunk, why))
            return false;
        if (!step())
            return false;
    }
    if (!put(page, QString::fromUtf8(html::pageEnd()), why))
        return false;
    if (!page.flush()) {
        *why =
            Export::tr("%1: cannot be written (%2)").arg(QDir::toNativeSeparators(page.fileName()), page.errorString());
        return false;
    }
    page.close();
    m_entries.append(entry);
    return true;
}

QString HtmlWriter::messageHtml(const ExportConversation& conversation, const MessageRecord& m, const QString& local)
{
    const bool unsent = (m.flags & MessageRecord::Unsent) != 0;
    QString out = QLatin1String(m.isIncoming ? "<div class=\"msg in" : "<div class=\"msg out");
    if (unsent)
        out += QLatin1String(" unsent");
    out += QLatin1String("\"><div class=\"wrap\"><div class=\"bubble\">");
    if (conversation.isGroup && m.isIncoming && !m.sender.isEmpty()) {
        const int tone = int(qHash(m.sender) % 1024) % kSenderTones;
        out += QStringLiteral("<div class=\"who tone%1\">").arg(tone) +
               escaped(context().walk->authorOf(conversation, m)) + QLatin1String("</div>");
    }
    const QVector<AttachmentRecord> attachments = context().walk->attachmentsOf(m);
    const QString text = html::messageText(context().walk->shownTextOf(m, attachments));
    if (!text.isEmpty())
        out += QLatin1String("<div class=\"text\">") + text + QLatin1String("</div>");
    for (const AttachmentRecord& a : attachments)
        out += attachmentHtml(a);
    if ((m.flags & MessageRecord::Edited) != 0)
        out += QLatin1String("<div class=\"edited\">") + escaped(Export::tr("Edited")) + QLatin1String("</div>");
    out += QLatin1String("</div>");
    const QString badge = context().walk->reactionsOf(m);
    if (!badge.isEmpty())
        out += badgeHtml(badge);
    out += QLatin1String("</div><div class=\"time\" title=\"") + escaped(local) + QLatin1String("\">") +
           escaped(local.mid(11)) + QLatin1String("</div></div>\n");
    return out;
}

QString HtmlWriter::attachmentHtml(const AttachmentRecord& a)
{
    const QString name = a.shownName();
    AttachmentFiles* files = context().files;
    if (!files)
        return nameTile(name, QString());
    if (!files->isPresent(a))
        return nameTile(name, attachmentfiles::notInBackup());
    QString why;
    const QString copied = copyIn(a, &why);
    if (copied.isEmpty())
        return nameTile(name, why);
    if (a.kind() == AttachmentRecord::Kind::Picture) {
        const QString picture = pictureHtml(a, copied);
        if (!picture.isEmpty())
            return picture;
    }
    const QFileInfo file(copied);
    const QString size = sizeText(file.size());
    return QLatin1String("<a class=\"att file\" href=\"") +
           escaped(html::relativeUrl(attachmentFolder(), file.fileName())) + QLatin1String("\">") + escaped(name) +
           QLatin1String("<span class=\"size\">") + escaped(size) + QLatin1String("</span></a>");
}

QString HtmlWriter::pictureHtml(const AttachmentRecord& a, const QString& copied)
{
    QString shown = copied;
    QSize size;
    if (browserShows(headOf(copied))) {
        QImageReader reader(copied);
        size = reader.size();
    } else {
        // HEIC, TIFF and the like: a JPEG beside the original, which stays
        // linked from the picture.
        QString why;
        const QImage picture = pictures::decodePicture(copied, QSize(kPictureBound, kPictureBound), &why);
        if (picture.isNull())
            return QString();
        const QString stem = QFileInfo(a.shownName()).completeBaseName();
        QFile jpeg;
        const QString path = safename::createUniqueFile(QDir(m_folder).filePath(attachmentFolder()),
                                                        stem + QLatin1String(".jpg"), &jpeg);
        if (path.isEmpty())
            return QString();
        if (!picture.save(&jpeg, "JPEG", 88)) {
            jpeg.close();
            jpeg.remove();
            return QString();
        }
        jpeg.close();
        shown = path;
        size = picture.size();
    }
    QString out = QLatin1String("<a class=\"att pic\" href=\"") +
                  escaped(html::relativeUrl(attachmentFolder(), QFileInfo(copied).fileName())) +
                  QLatin1String("\"><img loading=\"lazy\" src=\"") +
                  escaped(html::relativeUrl(attachmentFolder(), QFileInfo(shown).fileName())) +
                  QLatin1String("\" alt=\"") + escaped(a.shownName()) + QLatin1Char('"');
    // The size it is shown at: the bubble then fits the picture, and the
    // page keeps its place while pictures load.
    if (size.isValid() && size.width() > 0 && size.height() > 0) {
        const QSize box(kShownPicture, kShownPicture);
        if (size.width() > box.width() || size.height() > box.height())
            size = size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        out += QStringLiteral(" width=\"%1\" height=\"%2\"").arg(size.width()).arg(size.height());
    }
    return out + QLatin1String("></a>");
}

QString HtmlWriter::copyIn(const AttachmentRecord& a, QString* why)
{
    const QString folder = QDir(m_folder).filePath(attachmentFolder());
    if (!m_attachmentFolderMade) {
        if (!QDir(m_folder).mkdir(attachmentFolder())) {
            *why = Export::tr("the folder for the attachments cannot be made");
            return QString();
        }
        m_attachmentFolderMade = true;
    }
    QFile file;
    const QString path = safename::createUniqueFile(folder, a.shownName(), &file);
    if (path.isEmpty()) {
        *why = Export::tr("the file cannot be written");
        return QString();
    }
    if (!context().files->copyTo(a, &file, why) || !file.flush()) {
        if (why->isEmpty())
            *why = file.errorString();
        file.close();
        file.remove();
        return QString();
    }
    file.close();
    return path;
}

bool HtmlWriter::finish(QString* why)
{
    QFile index(QDir(m_folder).filePath(QStringLiteral("index.html")));
    if (!index.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *why = Export::tr("%1: cannot be written (%2)")
                   .arg(QDir::toNativeSeparators(index.fileName()), index.errorString());
        return false;
    }
    qint64 total = 0;
    for (const Entry& e : std::as_const(m_entries))
        total += e.messages;
    const QString title = Export::tr("Messages");
    QString out =
        QString::fromUtf8(html::pageStart(title)) + QLatin1String("<header><h1>") + escaped(title) +
        QLatin1String("</h1>\n<p class=\"sub\">") +
        escaped(m_entries.size() == 1 ? Export::tr("1 conversation")
                                      : Export::tr("%1 conversations").arg(QLocale().toString(m_entries.size()))) +
        QStringLiteral(" \u00b7 ") + escaped(messageCountText(total)) +
        QLatin1String("</p></header>\n<ul class=\"list\">\n");
    for (const Entry& e : std::as_const(m_entries)) {
        out += QLatin1String("<li><a href=\"") + escaped(e.page) + QLatin1String("\"><span class=\"name\">") +
               escaped(e.name) + QLatin1String("</span><span class=\"latest\">") + escaped(localTimeText(e.latest)) +
               QLatin1String("</span><span class=\"key\">") + escaped(e.key) +
               QLatin1String("</span><span class=\"count\">") + escaped(messageCountText(e.messages)) +
               QLatin1String("</span></a></li>\n");
        if (out.size() > 64 * 1024) {
            if (!put(index, out, why))
                return false;
            out.clear();
        }
    }
    out += QLatin1String("</ul>\n") + QString::fromUtf8(html::pageEnd());
    if (!put(index, out, why) || !index.flush()) {
        if (why->isEmpty())
            *why = index.errorString();
        return false;
    }
    index.close();
    return true;
}

} // namespace exporting
