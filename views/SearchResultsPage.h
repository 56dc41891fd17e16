#pragma once

// The page of search results: the conversations whose name or number the
// query matches, then every matching message, grouped by conversation (the
// conversation of the newest hit first) with the count of each group, each
// hit with its time and its text, the matched parts marked. A click on a
// hit asks for that message in its chat; a click on a conversation or a
// group's heading asks for the conversation.
//
// The rows are painted, not widgets: a query may match half a million
// messages. The page does not own its store; whoever deletes the store
// first calls clear().

#include "MessageSearch.h"

#include <QColor>
#include <QFrame>

class MessageStore;
class QFontMetrics;
class QLabel;
class QListView;
class QModelIndex;

namespace views {
class SearchResultsModel;
}

class SearchResultsPage : public QFrame
{
    Q_OBJECT
    // The look of the rows, set once for the page by the skin.
    Q_PROPERTY(QColor nameColor READ nameColor WRITE setNameColor)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(QColor dimColor READ dimColor WRITE setDimColor)
    Q_PROPERTY(QColor markColor READ markColor WRITE setMarkColor)
    Q_PROPERTY(QColor markTextColor READ markTextColor WRITE setMarkTextColor)
    Q_PROPERTY(QColor headingColor READ headingColor WRITE setHeadingColor)
public:
    // A conversation whose name or number matched.
    struct Conversation
    {
        QByteArray address;
        QString name;
    };

    explicit SearchResultsPage(QWidget* parent = nullptr);
    ~SearchResultsPage() override;

    // Shows what a query found. Hits whose message is gone from the store
    // (deleted since the search began) are left out.
    void showResults(const search::Results& results, const QVector<Conversation>& conversations, MessageStore* store);
    // A query is on its way; the rows shown stay until its results come.
    void showSearching();
    // No store, no rows.
    void clear();

    // Hits and conversations on display.
    int hitCount() const;
    int conversationCount() const;
    QString summary() const;
    QListView* view() const { return m_view; }

    // The name a conversation goes by: its contact's, else its number.
    static QString nameOf(const MessageRecord& record);
    // A hit's text on one line of width pixels: line breaks become blanks,
    // and when the text up to the end of its first match (spans, moved
    // along) does not fit, the lead is cut at the start of a word, to "…".
    static QString shownText(const QString& text, QVector<search::Span>* spans, const QFontMetrics& metrics, int width);

    QColor nameColor() const { return m_colors[0]; }
    void setNameColor(const QColor& c) { setColor(0, c); }
    QColor textColor() const { return m_colors[1]; }
    void setTextColor(const QColor& c) { setColor(1, c); }
    QColor dimColor() const { return m_colors[2]; }
    void setDimColor(const QColor& c) { setColor(2, c); }
    QColor markColor() const { return m_colors[3]; }
    void setMarkColor(const QColor& c) { setColor(3, c); }
    QColor markTextColor() const { return m_colors[4]; }
    void setMarkTextColor(const QColor& c) { setColor(4, c); }
    QColor headingColor() const { return m_colors[5]; }
    void setHeadingColor(const QColor& c) { setColor(5, c); }

signals:
    void messageChosen(const QByteArray& address, qint64 rowId);
    void conversationChosen(const QByteArray& address);

protected:
    void changeEvent(QEvent* event) override;

private:
    void onActivated(const QModelIndex& index);
    void setColor(int which, const QColor& c);
    void updateSummary();

    QLabel* m_summary = nullptr;
    QListView* m_view = nullptr;
    views::SearchResultsModel* m_model = nullptr;
    bool m_searching = false;
    QColor m_colors[6];
};
