#pragma once

// The search of the main window: the field "Search messages" (Ctrl+F), the
// results page, and finding within the open conversation.
//
// Typed anywhere but on the chat page, a query (after a short pause) runs on
// the search's worker over every message of the source on display, and the
// results page shows the hits and the conversations whose name or number
// matches. A click on a hit opens its conversation scrolled to the message.
// On the chat page the field finds within the conversation: it shows
// "3 of 12", and Enter / Shift+Enter, F3 / Shift+F3 go to the next or
// previous match. Escape clears the search and goes back to the page shown
// before it.
//
// The main window tells the controller which store is on display
// (setStore), and opens conversations when it asks (openConversation).

#include "MessageSearch.h"
#include "SearchResultsPage.h"

#include <QObject>
#include <QPointer>

class MessageStore;
class QBoxLayout;
class QStackedWidget;
class QTimer;
class QWidget;
class SearchField;
class frame_page2;

class SearchController : public QObject
{
    Q_OBJECT
public:
    // The field goes on a bar at the top of column; the results page
    // becomes a page of stack.
    SearchController(QWidget* window, QBoxLayout* column, QStackedWidget* stack, frame_page2* chatPage);
    ~SearchController() override;

    // The store on display, or null. A new store ends any search.
    void setStore(MessageStore* store);

    SearchField* field() const { return m_field; }
    SearchResultsPage* resultsPage() const { return m_page; }

    // Ends the search: the field empties and the page shown before the
    // search comes back.
    void escape();
    void findNext();
    void findPrevious();

signals:
    // The window opens this conversation on the chat page.
    void openConversation(QString address);

private:
    enum class Mode { None, Everywhere, InChat };

    void onTextChanged(const QString& text);
    void runNow();
    void runEverywhere(const QString& text);
    // Starts finding the matches in the open conversation on the worker;
    // when they are in, the one of rowId (when it is one) is shown, else
    // the newest.
    void runInChat(const QString& text, qint64 rowId = -1);
    void showInChat(const search::Results& results);
    void onResults(const search::Results& results);
    // Hands the store's messages to the worker before its first query.
    void feedEngine();
    // The key of the conversation on the chat page; empty when none.
    QByteArray openConversationKey() const;
    void onMessageChosen(const QByteArray& address, qint64 rowId);
    void onConversationChosen(const QByteArray& address);
    void onPageChanged();
    void step(int direction);
    void showFound();
    // Forgets the search without moving between pages.
    void reset();
    QVector<SearchResultsPage::Conversation> matchingConversations(const QString& text) const;

    SearchField* m_field = nullptr;
    SearchResultsPage* m_page = nullptr;
    QStackedWidget* m_stack = nullptr;
    QPointer<frame_page2> m_chatPage;
    QTimer* m_pause = nullptr;
    search::MessageSearch m_engine;
    MessageStore* m_store = nullptr;
    // The search has the store's messages (it takes them at the first query).
    bool m_engineFed = false;

    Mode m_mode = Mode::None;
    QPointer<QWidget> m_origin;
    // While the controller itself changes pages, or empties the field.
    bool m_navigating = false;
    bool m_resetting = false;

    // Finding within the conversation: its matches, newest first.
    QVector<qint64> m_found;
    int m_current = -1;
    // The match to show first when the matches come in.
    qint64 m_wanted = -1;
};
