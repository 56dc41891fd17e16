#include "AttachmentStrip.h"

#include "MediaDuration.h"
#include "ThumbnailCache.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

namespace views {

namespace {

constexpr int kPictureHeight = 180;
constexpr int kTileHeight = 52;
constexpr int kSpacing = 4;
constexpr int kMaxWidth = 260;
constexpr int kRadius = 12;

QColor tileColor(bool outgoing)
{
    return outgoing ? QColor(0xd9, 0xec, 0xff) : QColor(0xee, 0xee, 0xf0);
}

// A simple speaker, drawn so that no icon file is needed.
void drawSpeaker(QPainter& p, const QRect& r)
{
    QPainterPath body;
    const qreal x = r.x(), y = r.y(), w = r.width(), h = r.height();
    body.moveTo(x, y + h * 0.35);
    body.lineTo(x + w * 0.3, y + h * 0.35);
    body.lineTo(x + w * 0.6, y + h * 0.1);
    body.lineTo(x + w * 0.6, y + h * 0.9);
    body.lineTo(x + w * 0.3, y + h * 0.65);
    body.lineTo(x, y + h * 0.65);
    body.closeSubpath();
    p.fillPath(body, p.pen().color());
    p.drawArc(QRectF(x + w * 0.45, y + h * 0.25, w * 0.4, h * 0.5), -60 * 16, 120 * 16);
    p.drawArc(QRectF(x + w * 0.4, y + h * 0.05, w * 0.6, h * 0.9), -60 * 16, 120 * 16);
}

void drawDocument(QPainter& p, const QRect& r)
{
    QPainterPath page;
    const qreal fold = r.width() * 0.35;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void drawPlay(QPainter& p, const QRect& r)
{
    const int d = std::min(r.width(), r.height()) / 4;
    const QPoint c = r.center();
    p.setBrush(QColor(0, 0, 0, 110));
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, d, d);
    QPolygon triangle;
    triangle << QPoint(c.x() - d / 3, c.y() - d / 2) << QPoint(c.x() - d / 3, c.y() + d / 2)
             << QPoint(c.x() + d / 2, c.y());
    p.setBrush(Qt::white);
    p.drawPolygon(triangle);
}

} // namespace

AttachmentStrip::AttachmentStrip(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("attachmentStrip"));
    setFocusPolicy(Qt::ClickFocus);
}

void AttachmentStrip::setAttachments(const QVector<AttachmentRecord>& attachments, bool outgoing, ThumbnailCache* cache)
{
    m_attachments = attachments;
    m_outgoing = outgoing;
    m_cache = cache;
    m_current = 0;
    // Strips are made for the messages near the visible part too: their
    // thumbnails start now, before they scroll into view.
    if (m_cache) {
        ThumbnailCache::State state;
        for (const AttachmentRecord& a : std::as_const(m_attachments))
            m_cache->thumbnail(a, &state);
    }
    update();
}

int AttachmentStrip::tileHeight(const AttachmentRecord& a)
{
    const AttachmentRecord::Kind kind = a.kind();
    return kind == AttachmentRecord::Kind::Picture || kind == AttachmentRecord::Kind::Video ? kPictureHeight
                                                                                            : kTileHeight;
}

int AttachmentStrip::heightFor(const QVector<AttachmentRecord>& attachments)
{
    int h = 0;
    for (const AttachmentRecord& a : attachments)
        h += tileHeight(a) + kSpacing;
    return h;
}

int AttachmentStrip::widthFor(int rowWidth)
{
    return std::max(0, std::min(kMaxWidth, rowWidth * 2 / 3));
}

QRect AttachmentStrip::tileRect(int index) const
{
    int y = kSpacing;
    for (int i = 0; i < index; ++i)
        y += tileHeight(m_attachments.at(i)) + kSpacing;
    const int w = widthFor(width());
    const int x = m_outgoing ? width() - w - 12 : 12;
    return QRect(x, y, w, tileHeight(m_attachments.at(index)));
}

int AttachmentStrip::tileAt(const QPoint& point) const
{
    for (int i = 0; i < m_attachments.size(); ++i) {
        if (tileRect(i).contains(point))
            return i;
    }
    return -1;
}

void AttachmentStrip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < m_attachments.size(); ++i)
        paintTile(p, i, tileRect(i));
}

void AttachmentStrip::paintTile(QPainter& p, int index, const QRect& rect)
{
    const AttachmentRecord& a = m_attachments.at(index);
    ThumbnailCache::State state = ThumbnailCache::State::Missing;
    QImage thumb = m_cache ? m_cache->thumbnail(a, &state) : QImage();
    const AttachmentRecord::Kind kind = a.kind();
    const QString size = attachments::sizeText(a.bytes);

    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect), kRadius, kRadius);
    p.save();
    if (state == ThumbnailCache::State::Ready) {
        // Aspect kept inside the tile's box; the tile hugs the picture.
        const QSize fit = thumb.size().scaled(rect.size(), Qt::KeepAspectRatio);
        QRect target(QPoint(0, 0), fit);
        target.moveTop(rect.top());
        if (m_outgoing)
            target.moveRight(rect.right());
        else
            target.moveLeft(rect.left());
        QPainterPath round;
        round.addRoundedRect(QRectF(target), kRadius, kRadius);
        p.setClipPath(round);
        p.drawImage(target, thumb);
        if (kind == AttachmentRecord::Kind::Video)
            drawPlay(p, target);
        p.restore();
        return;
    }

    p.setClipPath(clip);
    const bool big = tileHeight(a) > kTileHeight;
    p.fillRect(rect, big && state != ThumbnailCache::State::Missing ? QColor(0xdd, 0xdf, 0xe3) : tileColor(m_outgoing));
    p.setPen(QColor(0x55, 0x5a, 0x64));
    QRect textArea = rect.adjusted(12, 6, -10, -6);
    if (state == ThumbnailCache::State::Missing) {
        const QString line1 = fontMetrics().elidedText(a.shownName(), Qt::ElideMiddle, textArea.width());
        const QString line2 =
            size.isEmpty() ? tr("not in this backup") : size + QStringLiteral(" · ") + tr("not in this backup");
        QFont italic = font();
        italic.setItalic(true);
        p.drawText(textArea, Qt::AlignLeft | Qt::AlignTop, line1);
        p.setFont(italic);
        p.setPen(QColor(0x88, 0x8c, 0x94));
        p.drawText(textArea, Qt::AlignLeft | Qt::AlignBottom, line2);
        p.restore();
        return;
    }
    if (big) {
        // Still decoding, or a picture that cannot be shown: its name on a
        // plain tile (with the play mark for videos).
        const QString name = fontMetrics().elidedText(a.shownName(), Qt::ElideMiddle, textArea.width());
        p.drawText(textArea, Qt::AlignLeft | Qt::AlignBottom,
                   state == ThumbnailCache::State::Pending ? QStringLiteral("…") : name);
        if (kind == AttachmentRecord::Kind::Video)
            drawPlay(p, rect);
        p.restore();
        return;
    }
    const QRect icon(rect.left() + 12, rect.top() + 12, rect.height() - 24, rect.height() - 24);
    p.setPen(QPen(QColor(0x3b, 0x82, 0xf6), 2));
    if (kind == AttachmentRecord::Kind::Voice)
        drawSpeaker(p, icon);
    else
        drawDocument(p, icon);
    p.setPen(QColor(0x22, 0x25, 0x2b));
    textArea.setLeft(icon.right() + 10);
    const QString title = tileTitle(index);
    p.drawText(textArea, Qt::AlignLeft | Qt::AlignTop,
               fontMetrics().elidedText(title, Qt::ElideMiddle, textArea.width()));
    p.setPen(QColor(0x77, 0x7b, 0x84));
    const QString detail = kind == AttachmentRecord::Kind::Voice ? a.shownName() + QStringLiteral(" · ") + size : size;
    p.drawText(textArea, Qt::AlignLeft | Qt::AlignBottom,
               fontMetrics().elidedText(detail, Qt::ElideMiddle, textArea.width()));
    p.restore();
}

QString AttachmentStrip::tileTitle(int index) const
{
    const AttachmentRecord& a = m_attachments.at(index);
    if (a.kind() != AttachmentRecord::Kind::Voice)
        return a.shownName();
    ThumbnailCache::State state = ThumbnailCache::State::Failed;
    const qint64 ms = m_cache ? m_cache->duration(a, &state) : -1;
    const QString time = pictures::durationText(ms);
    return time.isEmpty() ? tr("Voice message") : tr("Voice message") + QStringLiteral(" · ") + time;
}

void AttachmentStrip::mousePressEvent(QMouseEvent* e)
{
    const int tile = tileAt(e->position().toPoint());
    if (tile >= 0)
        m_current = tile;
    e->accept();
}

void AttachmentStrip::mouseDoubleClickEvent(QMouseEvent* e)
{
    const int tile = tileAt(e->position().toPoint());
    if (tile >= 0) {
        m_current = tile;
        emit openRequested(m_attachments.at(tile));
    }
    e->accept();
}

void AttachmentStrip::keyPressEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && m_current < m_attachments.size()) {
        emit openRequested(m_attachments.at(m_current));
        return;
    }
    QWidget::keyPressEvent(e);
}

void AttachmentStrip::contextMenuEvent(QContextMenuEvent* e)
{
    const int tile = tileAt(e->pos());
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("attachmentMenu"));
    if (tile >= 0) {
        m_current = tile;
        const AttachmentRecord a = m_attachments.at(tile);
        QAction* save = menu.addAction(tr("Save attachment…"));
        save->setObjectName(QStringLiteral("actionSaveAttachment"));
        connect(save, &QAction::triggered, this, [this, a] { emit saveRequested(a); });
    }
    QAction* all = menu.addAction(tr("Save all attachments…"));
    all->setObjectName(QStringLiteral("actionSaveAllAttachments"));
    connect(all, &QAction::triggered, this, &AttachmentStrip::saveAllRequested);
    menu.exec(e->globalPos());
}

} // namespace views
