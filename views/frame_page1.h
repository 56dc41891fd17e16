#pragma once

// The conversation list page: one row per conversation of a MessageStore,
// latest first, with an edit mode in which whole conversations are deleted.
//
// The page does not own its store. Whoever deletes the store first calls
// showConversations(nullptr) (or removeAll()), after which the page holds no
// pointer to it and shows an empty list.
//
// Rows are widgets and cost time and memory, so the page creates them for
// what the user sees first and adds the rest in batches as the list scrolls
// toward them. Rows are kept and reused by later calls, never deleted while
// the page lives.

#include <QFrame>
#include <QVector>

#include <memory>

class MessageStore;
class messageframe;
class QVBoxLayout;

namespace Ui {
class frame_page1;
}

class frame_page1 : public QFrame
{
    Q_OBJECT
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
    // Conversations in the list, whether or not their row exists yet.
    int conversationCount() const { return int(m_entries.size()); }
    // Rows filled with a conversation so far; the others come as the list scrolls.
    int filledRowCount() const { return m_filled; }

signals:
    void sendIsEdit(bool b);
    void sendMessageClick(QString id);

public slots:
    void itemClick(QString id);
    void deleteSameMessageNEW(QString Tel, messageframe* row);
    void removeAll();

private slots:
    void on_pushButton_Edit_clicked();
    void growTowardView();

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    struct Entry
    {
        QString address;
        QString name;
        QString timeText;
        QString text;
    };

    void takeEntries();
    void fillRow(int index);
    void fillRows(int count);
    void scheduleGrowth();

    std::unique_ptr<Ui::frame_page1> ui;
    MessageStore* store = nullptr;
    QVBoxLayout* listLayout = nullptr;
    bool isBrowsing = true;
    // Rows in list order: row i shows entry i while i < m_filled and is
    // hidden or closed otherwise.
    QVector<messageframe*> rows;
    QVector<Entry> m_entries;
    int m_filled = 0;
    bool m_growthPending = false;
};
