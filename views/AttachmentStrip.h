#pragma once

// The attachments of one message on the chat page, under its bubble: a
// picture or a video's first frame as a thumbnail (aspect kept, rounded like
// the bubble), a voice message as a tile with a speaker, any other file as a
// tile with an icon, its name and size, and a file the source does not hold
// as its name and size with "not in this backup". A voice tile shows how
// long the message plays where its file tells. Tiles have fixed heights
// by kind, so the page knows a message's height before anything is decoded.
//
// Double-click or Enter on a tile asks to open it; the context menu offers
// "Save attachment…" and "Save all attachments…". The strip only asks; the
// chat page does the work.

#include "Attachment.h"

#include <QVector>
#include <QWidget>

namespace views {

class ThumbnailCache;

class AttachmentStrip : public QWidget
{
    Q_OBJECT
public:
    explicit AttachmentStrip(QWidget* parent = nullptr);

    void setAttachments(const QVector<AttachmentRecord>& attachments, bool outgoing, ThumbnailCache* cache);
    const QVector<AttachmentRecord>& attachments() const { return m_attachments; }
    bool isOutgoing() const { return m_outgoing; }

    // Height of the tiles of these attachments (0 for none).
    static int heightFor(const QVector<AttachmentRecord>& attachments);
    static int tileHeight(const AttachmentRecord& attachment);
    // The width the tiles take in a row of the given width.
    static int widthFor(int rowWidth);

    // Which tile lies at a point of the strip; -1 for none.
    int tileAt(const QPoint& point) const;
    QRect tileRect(int index) const;
    int currentTile() const { return m_current; }
    // The first line of a tile without a picture: the file's name, or
    // "Voice message" with the play time once it is known ("… · 0:07").
    QString tileTitle(int index) const;

signals:
    void openRequested(const AttachmentRecord& attachment);
    void saveRequested(const AttachmentRecord& attachment);
    void saveAllRequested();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void paintTile(QPainter& p, int index, const QRect& rect);

    QVector<AttachmentRecord> m_attachments;
    ThumbnailCache* m_cache = nullptr;
    bool m_outgoing = false;
    int m_current = 0;
};

} // namespace views
