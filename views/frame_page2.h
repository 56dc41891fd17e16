#pragma once

// The chat page: the bubbles of one conversation, latest at the top, each
// under its date label; edit mode deletes selected messages or the whole
// conversation ("Clear All"), and a bubble's Copy button asks the main
// window to export that message.
//
// The page does not own its store. Whoever deletes the store first calls
// loadConversation(nullptr), after which the page holds no pointer to it.
//
// Bubbles are made for the newest messages first and for older ones in
// batches as the view scrolls toward them; a bubble made later joins the
// page's current mode. Deletes and "Clear All" act on the messages as the
// store holds them, made into bubbles or not.

#include "MessageRecord.h"

#include <QFrame>
#include <QVector>

#include <memory>

class Frame;
class Frame1;
class MessageStore;
class QLabel;

namespace Ui {
class frame_page2;
}

class frame_page2 : public QFrame
{
    Q_OBJECT
public:
    explicit frame_page2(MessageStore* store, QWidget* parent = nullptr);
    ~frame_page2() override;

    // Shows the store's selected conversation; null empties the page.
    void loadConversation(MessageStore* store);
    void resetEditMode();
    void setDeleteButtonShown(bool shown);
    void setEditButtonVisible(bool visible);

    bool isEditing() const { return !isBrowsing; }
    // Messages of the conversation not yet made into bubbles.
    int pendingBubbleCount() const { return m_next + 1; }

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
    void growTowardView();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void discardBubbles();
    void makeBubbles(int count);
    void scheduleGrowth();
    void hideCopyButtons();
    int selectedCount() const;
    void updateDeleteButton();

    std::unique_ptr<Ui::frame_page2> ui;
    MessageStore* store = nullptr;
    QVector<Frame*> leftBubbles;
    QVector<Frame1*> rightBubbles;
    bool isBrowsing = true;
    bool messageButtonGoesBack = true;
    // The shown conversation, oldest first; bubbles exist for the records
    // after m_next.
    QVector<MessageRecord> m_records;
    int m_next = -1;
    bool m_growthPending = false;
};
