#pragma once

// The conversation list page: one row per conversation of a MessageStore,
// latest first, with an edit mode in which whole conversations are deleted.
//
// The page does not own its store. Whoever deletes the store first calls
// showConversations(nullptr) (or removeAll()), after which the page holds no
// pointer to it and shows an empty list.
//
// Only the conversations near the visible part have rows; the page reuses
// them as the list scrolls, and never deletes a row while it lives. Each
// conversation's state (deleted here, "Delete" offered) is kept in plain
// data, so a conversation shows the same whichever row shows it.

#include "ItemColumn.h"
#include "MessageRecord.h"
#include "messageframe.h"

#include <QColor>
#include <QFrame>
#include <QHash>
#include <QVector>

#include <memory>

class MessageStore;

namespace Ui {
class frame_page1;
}

class frame_page1 : public QFrame, private views::ItemColumn::Items
{
    Q_OBJECT
    // The rows' own painting, set once for the page by the skin.
    Q_PROPERTY(QColor rowColor READ rowColor WRITE setRowColor)
    Q_PROPERTY(QColor separatorColor READ separatorColor WRITE setSeparatorColor)
    Q_PROPERTY(QColor minusColor READ minusColor WRITE setMinusColor)

public:
    explicit frame_page1(MessageStore* store, QWidget* parent = nullptr);
    ~frame_page1() override;

    // Shows the store's conversation list from the top, in browsing mode.
    // Null forgets the current store and empties the list.
    void showConversations(MessageStore* store);
    // Re-fills the rows from the store's current conversation list.
    void refreshRows();
    void resetEditMode();
    void setEditButtonVisible(bool visible);

    bool isEditing() const { return !isBrowsing; }
    // Conversations in the list, whether or not a row shows them now.
    int conversationCount() const { return int(m_heads.size()); }
    const views::ItemColumn& column() const { return *m_column; }

    QColor rowColor() const { return m_look.background; }
    void setRowColor(const QColor& c);
    QColor separatorColor() const { return m_look.separator; }
    void setSeparatorColor(const QColor& c);
    QColor minusColor() const { return m_look.minus; }
    void setMinusColor(const QColor& c);

signals:
    void sendIsEdit(bool b);
    void sendMessageClick(QString id);

public slots:
    void itemClick(QString id);
    void deleteSameMessageNEW(QString Tel, messageframe* row);
    void removeAll();

private slots:
    void on_pushButton_Edit_clicked();
    void offerChanged(messageframe* row, bool offered);

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

    struct Entry
    {
        bool closed = false;  // deleted here; the next list leaves it out
        bool offered = false; // "Delete" offered by the minus button
    };

    void takeHeads();
    QString nameOf(int item) const;
    views::RowTexts textsOf(int item) const;
    int heightOf(int item, int width, views::Measure how, bool* exact);
    const views::RowMetrics& metrics();
    messageframe* takeRow();
    void lookChanged();

    std::unique_ptr<Ui::frame_page1> ui;
    MessageStore* store = nullptr;
    bool isBrowsing = true;
    // Every row the page has made, shown or kept for reuse.
    QVector<messageframe*> rows;
    // The mode the rows were last told; resetEditMode() leaves them as they are.
    bool m_rowsEditing = false;

    QVector<MessageRecord> m_heads;
    QVector<Entry> m_entries;
    QFrame* m_canvas = nullptr;
    std::unique_ptr<views::ItemColumn> m_column;
    QHash<int, messageframe*> m_live;
    QHash<const messageframe*, int> m_itemOfRow;
    QVector<messageframe*> m_spare;
    views::RowLook m_look;
    views::RowMetrics m_metrics;
    bool m_metricsValid = false;
};
