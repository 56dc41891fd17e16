#pragma once

// The chat page: the bubbles of one conversation, latest at the top, each
// under its date label; edit mode deletes selected messages or the whole
// conversation ("Clear All"), and a bubble's Copy button asks the main
// window to export that message. In a group, incoming bubbles name their
// sender, reactions show as a badge on the bubble they answer, and the
// group's events show as lines between the messages.
//
// The page does not own its store. Whoever deletes the store first calls
// loadConversation(nullptr), after which the page holds no pointer to it.
//
// Only the messages near the visible part have bubbles; the page reuses
// them as the view scrolls. What each message shows, and whether it is
// selected, is kept per message in plain data, so that the selection
// count, "Delete[n]", "Clear All" and Copy act on every message of the
// conversation, whether it has a bubble at the moment or not.

#include "BubbleLook.h"
#include "ConversationItems.h"
#include "ItemColumn.h"

#include <QFrame>
#include <QHash>
#include <QVector>

#include <memory>

class AttachmentFiles;
class BubbleFrame;
class Frame;
class Frame1;
class MessageStore;
class QLabel;
class QTimer;

namespace Ui {
class frame_page2;
}

namespace views {
class AttachmentActions;
class AttachmentStrip;
class ThumbnailCache;
} // namespace views

class frame_page2 : public QFrame, private views::ItemColumn::Items
{
    Q_OBJECT
    // The look of the bubbles, set once for the page by the skin.
    Q_PROPERTY(QColor incomingColor READ incomingColor WRITE setIncomingColor)
    Q_PROPERTY(QColor incomingTextColor READ incomingTextColor WRITE setIncomingTextColor)
    Q_PROPERTY(QColor outgoingColor READ outgoingColor WRITE setOutgoingColor)
    Q_PROPERTY(QColor outgoingTextColor READ outgoingTextColor WRITE setOutgoingTextColor)
    Q_PROPERTY(QColor noteColor READ noteColor WRITE setNoteColor)
    Q_PROPERTY(QColor badgeColor READ badgeColor WRITE setBadgeColor)
    Q_PROPERTY(QColor badgeBorderColor READ badgeBorderColor WRITE setBadgeBorderColor)
    Q_PROPERTY(QColor markColor READ markColor WRITE setMarkColor)
    Q_PROPERTY(QColor markRingColor READ markRingColor WRITE setMarkRingColor)
    Q_PROPERTY(int bubbleRadius READ bubbleRadius WRITE setBubbleRadius)
    Q_PROPERTY(int bubbleFontSize READ bubbleFontSize WRITE setBubbleFontSize)
    Q_PROPERTY(QString emojiFontFamily READ emojiFontFamily WRITE setEmojiFontFamily)

public:
    explicit frame_page2(MessageStore* store, QWidget* parent = nullptr);
    ~frame_page2() override;

    // Shows the store's selected conversation; null empties the page.
    void loadConversation(MessageStore* store);
    void resetEditMode();
    void setDeleteButtonShown(bool shown);
    void setEditButtonVisible(bool visible);

    bool isEditing() const { return !isBrowsing; }
    // The row ids of the messages selected in edit mode and not deleted,
    // oldest first; empty outside edit mode.
    QVector<qint64> selectedRowIds() const;

    // Scrolls to a message of the shown conversation and marks it: for a
    // moment, or while lasting until another is marked or clearMark().
    // False when the conversation has no such message.
    bool showMessage(qint64 rowId, bool lasting = false);
    void clearMark();
    // The row id of the marked message; 0 when none is.
    qint64 markedMessage() const { return m_markedRow; }

    // Where the shown source's attachments lie; null for none. Set before
    // the conversation is loaded, cleared before the source goes.
    void setAttachmentFiles(AttachmentFiles* files);
    views::ThumbnailCache& thumbnails() { return *m_thumbnails; }
    views::AttachmentActions& attachmentActions() { return *m_attachmentActions; }
    // "Save all attachments…" of the shown conversation.
    QStringList saveAllAttachments();
    // The heights of all messages and group events of the shown conversation.
    const views::ItemColumn& column() const { return *m_column; }

    QColor incomingColor() const { return m_look.incoming; }
    void setIncomingColor(const QColor& c) { setLookColor(m_look.incoming, c); }
    QColor incomingTextColor() const { return m_look.incomingText; }
    void setIncomingTextColor(const QColor& c) { setLookColor(m_look.incomingText, c); }
    QColor outgoingColor() const { return m_look.outgoing; }
    void setOutgoingColor(const QColor& c) { setLookColor(m_look.outgoing, c); }
    QColor outgoingTextColor() const { return m_look.outgoingText; }
    void setOutgoingTextColor(const QColor& c) { setLookColor(m_look.outgoingText, c); }
    QColor noteColor() const { return m_look.meta; }
    void setNoteColor(const QColor& c) { setLookColor(m_look.meta, c); }
    QColor badgeColor() const { return m_look.badge; }
    void setBadgeColor(const QColor& c) { setLookColor(m_look.badge, c); }
    QColor badgeBorderColor() const { return m_look.badgeBorder; }
    void setBadgeBorderColor(const QColor& c) { setLookColor(m_look.badgeBorder, c); }
    QColor markColor() const { return m_look.mark; }
    void setMarkColor(const QColor& c) { setLookColor(m_look.mark, c); }
    QColor markRingColor() const { return m_look.markRing; }
    void setMarkRingColor(const QColor& c) { setLookColor(m_look.markRing, c); }
    int bubbleRadius() const { return m_look.radius; }
    void setBubbleRadius(int radius);
    int bubbleFontSize() const { return m_look.text.font().pixelSize(); }
    void setBubbleFontSize(int pixels);
    QString emojiFontFamily() const { return m_look.emojiFamily(); }
    void setEmojiFontFamily(const QString& family);

signals:
    void sendToPage1(QString number);
    void sendOneMessage(QFrame* bubble, int side);

public slots:
    void addLeft(Frame* f);
    void addRight(Frame1* f);
    void Tongji(QFrame* f, int side, QLabel* label);
    void copyOneMeeage(QFrame* f, int side);

private slots:
    void on_toolButtonMessageAndClear_clicked();
    void on_pushButton_Edit_clicked();
    void on_pushButton_3_clicked();

protected:
    bool event(QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    // What the column asks of the page.
    int quickHeight(int item, int width, bool* exact) override;
    int exactHeight(int item, int width) override;
    int attach(int item, int width) override;
    void place(int item, const QRect& rect) override;
    void detach(int item) override;
    void settle() override;

    struct Live
    {
        BubbleFrame* bubble = nullptr;
        QLabel* date = nullptr;
        QLabel* event = nullptr;
        views::AttachmentStrip* strip = nullptr;
    };

    int attachmentHeight(int item) const;
    views::AttachmentStrip* takeStrip();

    int messageHeight(int item, int width, views::Measure how, bool* exact);
    BubbleFrame* takeBubble(int item);
    QLabel* takeDateLabel();
    QLabel* takeEventLabel();
    void discardBubbles();
    void hideCopyButtons();
    void updateDeleteButton();
    void setLookColor(QColor& slot, const QColor& c);
    void lookChanged(bool geometry);
    void showMark(BubbleFrame* bubble, bool on);

    std::unique_ptr<Ui::frame_page2> ui;
    MessageStore* store = nullptr;
    // Every bubble the page has, shown or kept for reuse.
    QVector<Frame*> leftBubbles;
    QVector<Frame1*> rightBubbles;
    bool isBrowsing = true;
    bool messageButtonGoesBack = true;
    // The mode the bubbles were last told; resetEditMode() leaves them as they are.
    bool m_bubblesEditing = false;

    views::BubbleLook m_look;
    views::ConversationItems m_items;
    std::unique_ptr<views::ItemColumn> m_column;
    QHash<int, Live> m_live;
    QHash<const QFrame*, int> m_itemOfBubble;
    QVector<Frame*> m_spareLeft;
    QVector<Frame1*> m_spareRight;
    QVector<QLabel*> m_spareDates;
    QVector<QLabel*> m_spareEvents;
    QVector<QLabel*> m_dates;
    QVector<QLabel*> m_events;
    views::ThumbnailCache* m_thumbnails = nullptr;
    views::AttachmentActions* m_attachmentActions = nullptr;
    QVector<views::AttachmentStrip*> m_spareStrips;
    QVector<views::AttachmentStrip*> m_strips;
    int m_copyItem = -1;
    qint64 m_markedRow = 0;
    QTimer* m_markTimer = nullptr;
    int m_copyRowHeight = 0;
    // Counts the conversations shown, so that an answer given to one is
    // not taken for the next.
    int m_generation = 0;
};
