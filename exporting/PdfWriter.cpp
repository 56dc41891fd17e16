#include "PdfWriter.h"

#include "AttachmentFiles.h"
#include "PdfLook.h"
#include "PictureDecoder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>

namespace exporting {

namespace {

struct Export
{
    Q_DECLARE_TR_FUNCTIONS(Export)
};

// Pictures are decoded no larger than this: sharp on paper, small in the file.
constexpr int kPictureBound = 1200;
// A picture's pixels per inch at its natural size; smaller ones are not enlarged beyond it.
constexpr double kPictureDpi = 150;
constexpr int kResolution = 300;

QPageSize localPageSize()
{
    const QLocale::MeasurementSystem system = QLocale().measurementSystem();
    return QPageSize(system == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4);
}

double lineHeight(const QFont& font, QPaintDevice* device)
{
    return QFontMetricsF(font, device).height();
}

double textWidth(const QString& text, const QFont& font, QPaintDevice* device)
{
    return QFontMetricsF(font, device).horizontalAdvance(text);
}

bool isPicture(const AttachmentRecord& attachment)
{
    return attachment.kind() == AttachmentRecord::Kind::Picture;
}

} // namespace

PdfWriter::PdfWriter() = default;

PdfWriter::~PdfWriter()
{
    // The painter ends before the device it paints on goes.
    m_painter.reset();
}

bool PdfWriter::begin(QIODevice* file, const QString&, QString* why)
{
    if (!file || !qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        *why = Export::tr("PDF files can only be written where the fonts can be loaded");
        return false;
    }
    m_pdf = std::make_unique<QPdfWriter>(file);
    m_pdf->setResolution(kResolution);
    m_pdf->setPageSize(localPageSize());
    m_pdf->setPageMargins(QMarginsF(16, 14, 16, 12), QPageLayout::Millimeter);
    m_pdf->setTitle(Export::tr("Messages"));
    m_pdf->setCreator(QCoreApplication::applicationName());
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_pdf.get())) {
        *why = Export::tr("the PDF file cannot be started");
        return false;
    }
    m_painter->setRenderHint(QPainter::Antialiasing);
    m_look = std::make_unique<PdfLook>(m_pdf.get());
    return true;
}

bool PdfWriter::write(const ExportConversation& conversation, QString*)
{
    m_conversationName = conversation.name;
    m_day = QDate();
    startPage();
    drawHeading(conversation);
    for (const MessageRecord& message : conversation.messages) {
        drawMessage(conversation, message);
        if (!step())
            return false;
    }
    return true;
}

bool PdfWriter::finish(QString* why)
{
    if (m_page == 0) {
        // Nothing was chosen: one page that says so, rather than a blank one.
        startPage();
        m_painter->setFont(m_look->text);
        m_painter->setPen(m_look->meta);
        m_painter->drawText(QRectF(0, 0, m_look->width, m_look->bottom), Qt::AlignCenter, Export::tr("No messages"));
    }
    if (!m_painter->end()) {
        *why = Export::tr("the PDF file cannot be finished");
        return false;
    }
    return true;
}

void PdfWriter::startPage()
{
    if (m_page > 0)
        m_pdf->newPage();
    ++m_page;
    m_y = 0;
    m_pageEmpty = true;

    const PdfLook& look = *m_look;
    const double footerY = look.bottom + look.pt(8);
    m_painter->setPen(QPen(look.rule, look.pt(0.5)));
    m_painter->drawLine(QPointF(0, footerY - look.pt(4)), QPointF(look.width, footerY - look.pt(4)));
    m_painter->setFont(look.small);
    m_painter->setPen(look.meta);
    const QRectF footer(0, footerY, look.width, look.height - footerY);
    const QString number = Export::tr("Page %1").arg(m_page);
    const double numberWidth = textWidth(number, look.small, m_pdf.get());
    const QString name =
        QFontMetricsF(look.small, m_pdf.get())
            .elidedText(shownName(m_conversationName), Qt::ElideRight, look.width - numberWidth - look.pt(20));
    m_painter->drawText(footer, Qt::AlignLeft | Qt::AlignTop, name);
    m_painter->drawText(footer, Qt::AlignRight | Qt::AlignTop, number);
}

double PdfWriter::room() const
{
    return m_look->bottom - m_y;
}

void PdfWriter::ensureRoom(double height)
{
    if (!m_pageEmpty && height > room())
        startPage();
    m_pageEmpty = false;
}

double PdfWriter::sideX(double width, bool incoming) const
{
    return incoming ? 0 : m_look->width - width;
}

void PdfWriter::drawHeading(const ExportConversation& conversation)
{
    const PdfLook& look = *m_look;
    QTextLayout layout;
    layOut(layout, shownText(conversation.name), look.heading, m_pdf.get(), look.width);
    m_painter->setPen(look.incomingText);
    drawLines(m_painter.get(), layout, QPointF(0, m_y));
    m_y += layout.boundingRect().height();
    m_pageEmpty = false;

    const QString key = QString::fromUtf8(conversation.key);
    QStringList details;
    if (key != conversation.name)
        details.append(shownName(key));
    details.append(messageCountText(conversation.messages.size()));
    m_painter->setFont(look.small);
    m_painter->setPen(look.meta);
    const double h = lineHeight(look.small, m_pdf.get());
    m_painter->drawText(QRectF(0, m_y + look.pt(2), look.width, h), Qt::AlignLeft | Qt::AlignVCenter,
                        details.join(QStringLiteral("  \u00b7  ")));
    m_y += h + look.pt(8);
    m_painter->setPen(QPen(look.rule, look.pt(0.75)));
    m_painter->drawLine(QPointF(0, m_y), QPointF(look.width, m_y));
    m_y += look.pt(6);
}

void PdfWriter::drawDay(const QDate& day)
{
    const PdfLook& look = *m_look;
    const double h = lineHeight(look.small, m_pdf.get()) + look.pt(10);
    // A day's line never ends a page: it goes with room for a short bubble.
    ensureRoom(h + look.pt(34));
    const QString text = QLocale().toString(day, QLocale::LongFormat);
    const double w = textWidth(text, look.small, m_pdf.get());
    const double mid = m_y + h / 2;
    m_painter->setPen(QPen(look.rule, look.pt(0.5)));
    const double side = std::max(0.0, (look.width - w) / 2 - look.pt(10));
    m_painter->drawLine(QPointF(0, mid), QPointF(side, mid));
    m_painter->drawLine(QPointF(look.width - side, mid), QPointF(look.width, mid));
    m_painter->setFont(look.small);
    m_painter->setPen(look.meta);
    m_painter->drawText(QRectF(0, m_y, look.width, h), Qt::AlignCenter, text);
    m_y += h + look.pt(2);
}

void PdfWriter::drawMessage(const ExportConversation& conversation, const MessageRecord& message)
{
    const PdfLook& look = *m_look;
    QPaintDevice* device = m_pdf.get();
    const QDate day = localDate(message.time);
    if (day != m_day) {
        m_day = day;
        drawDay(day);
    }
    const bool incoming = message.isIncoming;
    const ExportWalk& walk = *context().walk;
    const QVector<AttachmentRecord> attachments = walk.attachmentsOf(message);
    QString text = shownText(walk.shownTextOf(message, attachments));
    const bool hasText = !text.trimmed().isEmpty() || attachments.isEmpty();
    if (text.trimmed().isEmpty())
        text = QStringLiteral(" ");
    const bool unsent = message.flags & MessageRecord::Unsent;
    QFont font = look.text;
    font.setItalic(unsent);

    QTextLayout layout;
    double width = 0;
    if (hasText)
        width = layOut(layout, text, font, device, look.maxWidth - 2 * look.padX);

    // The sender's name stays on the page of the bubble's first lines.
    const double senderHeight = conversation.isGroup && incoming ? lineHeight(look.sender, device) + look.lineGap : 0;
    const double firstLine = hasText && layout.lineCount() > 0 ? layout.lineAt(0).height() : look.pt(40);
    ensureRoom(senderHeight + firstLine + 2 * look.padY);
    if (senderHeight > 0) {
        m_painter->setFont(look.sender);
        m_painter->setPen(look.senderColor(QString::fromUtf8(message.sender)));
        m_painter->drawText(QRectF(look.padX, m_y, look.maxWidth, senderHeight), Qt::AlignLeft | Qt::AlignTop,
                            shownName(walk.authorOf(conversation, message)));
        m_y += senderHeight;
    }

    for (const AttachmentRecord& attachment : attachments)
        drawAttachment(attachment, incoming);
    if (hasText)
        drawText(layout, width, incoming);

    QString time = localTimeText(message.time);
    if (message.flags & MessageRecord::Edited)
        time += QStringLiteral("  \u00b7  ") + Export::tr("Edited");
    drawMeta(time, walk.reactionsOf(message), incoming);
    m_y += look.gap;
}

void PdfWriter::drawText(QTextLayout& layout, double width, bool incoming)
{
    const PdfLook& look = *m_look;
    const double bubbleWidth = std::max(width + 2 * look.padX, 2 * look.radius);
    const double x = sideX(bubbleWidth, incoming);
    const int count = layout.lineCount();
    int first = 0;
    // A bubble taller than the room left goes on in a piece of its own on
    // the next page, split between two lines.
    while (first < count) {
        ensureRoom(layout.lineAt(first).height() + 2 * look.padY);
        const double top = layout.lineAt(first).y();
        int end = first + 1;
        while (end < count && layout.lineAt(end).y() + layout.lineAt(end).height() - top + 2 * look.padY <= room())
            ++end;
        const QTextLine last = layout.lineAt(end - 1);
        const double height = last.y() + last.height() - top + 2 * look.padY;

        m_painter->setPen(Qt::NoPen);
        m_painter->setBrush(incoming ? look.incoming : look.outgoing);
        m_painter->drawRoundedRect(QRectF(x, m_y, bubbleWidth, height), look.radius, look.radius);
        m_painter->setBrush(Qt::NoBrush);
        m_painter->setPen(incoming ? look.incomingText : look.outgoingText);
        const QPointF origin(x + look.padX, m_y + look.padY - top);
        drawLines(m_painter.get(), layout, origin, first, end);
        m_y += height;
        first = end;
        if (first < count)
            startPage();
    }
}

void PdfWriter::drawAttachment(const AttachmentRecord& attachment, bool incoming)
{
    const QString name = shownName(attachment.shownName());
    AttachmentFiles* files = context().files;
    if (!files) {
        drawTile(name, QString(), incoming);
        return;
    }
    if (!files->isPresent(attachment)) {
        drawTile(name, attachmentfiles::notInBackup(), incoming);
        return;
    }
    const AttachmentRecord::Kind kind = attachment.kind();
    if (kind == AttachmentRecord::Kind::Picture || kind == AttachmentRecord::Kind::Video) {
        QString why;
        const QString path = files->localFile(attachment, &why);
        QImage picture;
        if (!path.isEmpty()) {
            const QSize bound(kPictureBound, kPictureBound);
            picture = isPicture(attachment) ? pictures::decodePicture(path, bound, &why)
                                            : pictures::videoFrame(path, bound, &why);
        }
        if (!picture.isNull()) {
            drawPicture(picture, name, incoming);
            if (kind == AttachmentRecord::Kind::Picture)
                return;
        }
    }
    drawTile(name, QString(), incoming);
}

void PdfWriter::drawPicture(const QImage& picture, const QString& name, bool incoming)
{
    const PdfLook& look = *m_look;
    const double captionHeight = lineHeight(look.small, m_pdf.get());
    const double natural = look.pt(72.0 / kPictureDpi);
    QSizeF size(picture.width() * natural, picture.height() * natural);
    const double maxHeight = std::min(look.pictureMaxHeight, look.bottom * 0.9);
    size = size.scaled(QSizeF(std::min(size.width(), look.maxWidth), std::min(size.height(), maxHeight)),
                       Qt::KeepAspectRatio);
    // The picture keeps its name under it, on the same page.
    ensureRoom(size.height() + look.lineGap + captionHeight);
    const QRectF target(sideX(size.width(), incoming), m_y, size.width(), size.height());
    QPainterPath corners;
    corners.addRoundedRect(target, look.radius, look.radius);
    m_painter->save();
    m_painter->setClipPath(corners);
    m_painter->drawImage(target, picture);
    m_painter->restore();
    m_y += size.height() + look.lineGap;
    m_painter->setFont(look.small);
    m_painter->setPen(look.meta);
    const QString caption = QFontMetricsF(look.small, m_pdf.get())
                                .elidedText(name, Qt::ElideMiddle, std::max(size.width(), look.maxWidth / 2));
    m_painter->drawText(QRectF(incoming ? target.left() + look.pt(2) : 0, m_y,
                               incoming ? look.width : target.right() - look.pt(2), captionHeight),
                        (incoming ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, caption);
    m_y += captionHeight + look.lineGap;
}

void PdfWriter::drawTile(const QString& name, const QString& note, bool incoming)
{
    const PdfLook& look = *m_look;
    QPaintDevice* device = m_pdf.get();
    const double icon = look.pt(11);
    const double inner = look.maxWidth - 2 * look.padX - icon - look.padX;
    QTextLayout layout;
    double width = layOut(layout, name.isEmpty() ? QStringLiteral("?") : name, look.text, device, inner);
    const double noteHeight = note.isEmpty() ? 0 : lineHeight(look.small, device);
    if (!note.isEmpty())
        width = std::max(width, std::min(inner, textWidth(note, look.small, device)));
    const double textHeight = layout.boundingRect().height() + noteHeight;
    const double height = std::max(textHeight, icon * 1.3) + 2 * look.padY;
    const double tileWidth = width + 2 * look.padX + icon + look.padX;
    ensureRoom(height);
    const QRectF tile(sideX(tileWidth, incoming), m_y, tileWidth, height);

    m_painter->setPen(QPen(look.rule, look.pt(0.75)));
    m_painter->setBrush(look.tile);
    m_painter->drawRoundedRect(tile, look.radius, look.radius);
    // A sheet with a folded corner stands for the file.
    const QRectF sheet(tile.left() + look.padX, tile.top() + (height - icon * 1.3) / 2, icon, icon * 1.3);
    const double fold = icon * 0.35;
    QPainterPath page;
    page.moveTo(sheet.topLeft());
    page.lineTo(sheet.right() - fold, sheet.top());
    page.lineTo(sheet.right(), sheet.top() + fold);
    page.lineTo(sheet.bottomRight());
    page.lineTo(sheet.bottomLeft());
    page.closeSubpath();
    m_painter->setPen(QPen(look.meta, look.pt(0.75)));
    m_painter->setBrush(Qt::white);
    m_painter->drawPath(page);
    m_painter->setBrush(Qt::NoBrush);

    const double textLeft = sheet.right() + look.padX;
    const double textTop = tile.top() + (height - textHeight) / 2;
    m_painter->setPen(look.incomingText);
    drawLines(m_painter.get(), layout, QPointF(textLeft, textTop));
    if (!note.isEmpty()) {
        m_painter->setFont(look.small);
        m_painter->setPen(look.meta);
        m_painter->drawText(QRectF(textLeft, textTop + layout.boundingRect().height(), inner, noteHeight),
                            Qt::AlignLeft | Qt::AlignVCenter, note);
    }
    m_y += height + look.lineGap;
}

void PdfWriter::drawMeta(const QString& time, const QString& badge, bool incoming)
{
    const PdfLook& look = *m_look;
    QPaintDevice* device = m_pdf.get();
    const double timeHeight = lineHeight(look.small, device);
    const double timeWidth = textWidth(time, look.small, device);
    QTextLayout reactions;
    double badgeHeight = 0;
    double badgeWidth = 0;
    if (!badge.isEmpty()) {
        badgeWidth = layOut(reactions, shownName(badge), look.emoji, device, look.maxWidth) + 2 * look.pt(6);
        badgeHeight = reactions.boundingRect().height() + look.pt(3);
    }
    const double height = std::max(timeHeight, badgeHeight) + look.lineGap;
    ensureRoom(height);
    const double y = m_y + look.lineGap;
    const double space = look.pt(6);
    double timeX = incoming ? look.padX / 2 : look.width - look.padX / 2 - timeWidth;
    if (!badge.isEmpty()) {
        // The reactions sit beside the time on the side facing the page's middle.
        const double badgeX = incoming ? timeX + timeWidth + space : timeX - space - badgeWidth;
        const QRectF pill(badgeX, y, badgeWidth, badgeHeight);
        m_painter->setPen(QPen(look.rule, look.pt(0.75)));
        m_painter->setBrush(Qt::white);
        m_painter->drawRoundedRect(pill, badgeHeight / 2, badgeHeight / 2);
        m_painter->setBrush(Qt::NoBrush);
        m_painter->setPen(look.incomingText);
        drawLines(m_painter.get(), reactions, QPointF(pill.left() + look.pt(6), pill.top() + look.pt(1.5)));
    }
    m_painter->setFont(look.small);
    m_painter->setPen(look.meta);
    m_painter->drawText(QRectF(timeX, y + (height - look.lineGap - timeHeight) / 2, timeWidth + 1, timeHeight),
                        Qt::AlignLeft | Qt::AlignVCenter, time);
    m_y += height;
}

} // namespace exporting
