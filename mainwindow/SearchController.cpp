#include "SearchController.h"

#include "MessageStore.h"
#include "SearchField.h"
#include "frame_page2.h"

#include <QBoxLayout>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

// The pause after the last key before a query runs.
constexpr int kTypingPauseMs = 250;

QByteArray digitsOf(const QByteArray& text)
{
    QByteArray digits;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digits.append(c);
    }
    return digits;
}

} // namespace

SearchController::SearchController(QWidget* window, QBoxLayout* column, QStackedWidget* stack, frame_page2* chatPage)
    : QObject(window), m_stack(stack), m_chatPage(chatPage)
{
    m_engine.setParent(this);
    m_engine.setObjectName(QStringLiteral("messageSearch"));
    auto* bar = new QHBoxLayout;
    bar->setSpacing(0);
    m_field = new SearchField(window);
    bar->addWidget(m_field);
    column->insertLayout(0, bar);
    m_page = new SearchResultsPage(stack);
    stack->addWidget(m_page);

    m_pause = new QTimer(this);
    m_pause->setSingleShot(true);
    m_pause->setInterval(kTypingPauseMs);
    connect(m_pause, &QTimer::timeout, this, &SearchController::runNow);

    connect(m_field, &QLineEdit::textChanged, this, &SearchController::onTextChanged);
    connect(m_field, &SearchField::nextRequested, this, &SearchController::findNext);
    connect(m_field, &SearchField::previousRequested, this, &SearchController::findPrevious);
    connect(m_field, &SearchField::escapePressed, this, &SearchController::escape);
    connect(&m_engine, &search::MessageSearch::resultsReady, this, &SearchController::onResults);
    connect(m_page, &SearchResultsPage::messageChosen, this, &SearchController::onMessageChosen);
    connect(m_page, &SearchResultsPage::conversationChosen, this, &SearchController::onConversationChosen);
    connect(stack, &QStackedWidget::currentChanged, this, &SearchController::onPageChanged);

    auto* find = new QShortcut(QKeySequence::Find, window);
    connect(find, &QShortcut::activated, this, [this] {
        m_field->setFocus(Qt::ShortcutFocusReason);
        m_field->selectAll();
    });
    auto* next = new QShortcut(QKeySequence(Qt::Key_F3), window);
    connect(next, &QShortcut::activated, this, &SearchController::findNext);
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), window);
    connect(previous, &QShortcut::activated, this, &SearchController::findPrevious);
    // Escape anywhere on the results page, not only in the field.
    auto* back = new QShortcut(QKeySequence(Qt::Key_Escape), m_page);
    back->setContext(Qt::WidgetWithChildrenShortcut);
    connect(back, &QShortcut::activated, this, &SearchController::escape);
}

SearchController::~SearchController()
{
    m_engine.cancel();
}

void SearchController::setStore(MessageStore* store)
{
    reset();
    m_store = store;
    m_engineFed = false;
    m_engine.clear();
    m_page->clear();
}

void SearchController::reset()
{
    m_pause->stop();
    m_engine.cancel();
    m_mode = Mode::None;
    m_found.clear();
    m_current = -1;
    m_field->setCountText(QString());
    // Not by blocking the field's signals: its clear button hides on them.
    const QScopedValueRollback<bool> resetting(m_resetting, true);
    m_field->clear();
}

void SearchController::onTextChanged(const QString& text)
{
    if (m_resetting)
        return;
    if (text.trimmed().isEmpty()) {
        // An emptied field is the end of the search, as Escape is.
        escape();
        return;
    }
    if (m_mode == Mode::None) {
        m_origin = m_stack->currentWidget();
        m_mode = m_origin == m_chatPage ? Mode::InChat : Mode::Everywhere;
    }
    m_pause->start();
}

void SearchController::runNow()
{
    m_pause->stop();
    const QString text = m_field->text();
    if (text.trimmed().isEmpty())
        return;
    if (m_mode == Mode::InChat)
        runInChat(text);
    else if (m_mode == Mode::Everywhere)
        runEverywhere(text);
}

void SearchController::runEverywhere(const QString& text)
{
    if (m_stack->currentWidget() != m_page) {
        const QScopedValueRollback<bool> navigating(m_navigating, true);
        m_stack->setCurrentWidget(m_page);
    }
    if (!m_store) {
        m_page->showResults({}, {}, nullptr);
        return;
    }
    feedEngine();
    m_page->showSearching();
    m_engine.search(text);
}

void SearchController::feedEngine()
{
    if (m_engineFed)
        return;
    // Taken at the first query rather than when the store came: until the
    // index is built from them, the store's array is shared, and a delete
    // would have to copy it.
    m_engine.setMessages(m_store->messages);
    m_engineFed = true;
}

QByteArray SearchController::openConversationKey() const
{
    return m_store && !m_store->conversation.isEmpty() ? m_store->conversation.first().address : QByteArray();
}

void SearchController::onResults(const search::Results& results)
{
    // Results of a query the field no longer holds are not shown; the
    // field's own query is on its way. So are results of another kind of
    // search, or of a conversation no longer open.
    if (results.query != m_field->text())
        return;
    if (results.inConversation) {
        if (m_mode == Mode::InChat && m_store && results.conversation == openConversationKey())
            showInChat(results);
        return;
    }
    if (m_mode == Mode::Everywhere)
        m_page->showResults(results, matchingConversations(results.query), m_store);
}

QVector<SearchResultsPage::Conversation> SearchController::matchingConversations(const QString& text) const
{
    QVector<SearchResultsPage::Conversation> found;
    if (!m_store)
        return found;
    const search::Query query = search::Query::parse(text);
    if (query.isEmpty())
        return found;
    for (const MessageRecord& head : std::as_const(m_store->conversationHeads)) {
        const QString name = SearchResultsPage::nameOf(head);
        const QByteArray digits = digitsOf(head.address);
        const QByteArray folded = search::foldText(name).toUtf8() + '\n' + search::foldUtf8(head.address);
        // A number matches however it is written: "555 1234" finds "+1 (209) 555-1234".
        const bool all = std::all_of(query.terms().cbegin(), query.terms().cend(), [&](const QByteArray& term) {
            if (folded.contains(term))
                return true;
            const QByteArray termDigits = digitsOf(term);
            return !termDigits.isEmpty() && termDigits.size() * 2 >= term.size() && digits.contains(termDigits);
        });
        if (all)
            found.append({head.address, name});
    }
    return found;
}

void SearchController::onMessageChosen(const QByteArray& address, qint64 rowId)
{
    m_pause->stop();
    {
        const QScopedValueRollback<bool> navigating(m_navigating, true);
        m_mode = Mode::InChat;
        emit openConversation(QString::fromUtf8(address));
    }
    if (m_stack->currentWidget() != m_chatPage || !m_store) {
        reset();
        return;
    }
    // The chosen message is a match: marked at once, counted when the
    // conversation's matches are in.
    if (m_chatPage)
        m_chatPage->showMessage(rowId);
    runInChat(m_field->text(), rowId);
    // The page lays itself out once it is on screen; the message is sought
    // again then, so that it stands where it should.
    QTimer::singleShot(0, this, [this, rowId] {
        if (m_mode == Mode::InChat && m_chatPage && m_chatPage->markedMessage() == rowId)
            m_chatPage->showMessage(rowId);
    });
}

void SearchController::onConversationChosen(const QByteArray& address)
{
    // The conversation was what was sought: the search is over.
    reset();
    const QScopedValueRollback<bool> navigating(m_navigating, true);
    emit openConversation(QString::fromUtf8(address));
}

void SearchController::runInChat(const QString& text, qint64 rowId)
{
    m_found.clear();
    m_current = -1;
    m_wanted = rowId;
    if (!m_store || m_store->conversation.isEmpty()) {
        showFound();
        return;
    }
    // The matches come from the worker; what is shown stays until then.
    feedEngine();
    m_engine.searchIn(openConversationKey(), text);
}

void SearchController::showInChat(const search::Results& results)
{
    m_found.clear();
    m_current = -1;
    for (const search::Hit& hit : results.hits) {
        if (m_store->message(hit.rowId))
            m_found.append(hit.rowId);
    }
    // The chat page shows its messages by row id, the newest at the top;
    // so do the matches.
    std::sort(m_found.begin(), m_found.end(), std::greater<qint64>());
    if (!m_found.isEmpty())
        m_current = std::max(0, int(m_found.indexOf(m_wanted)));
    showFound();
}

void SearchController::showFound()
{
    if (!m_chatPage)
        return;
    if (m_current < 0) {
        m_chatPage->clearMark();
        m_field->setCountText(tr("%1 of %2").arg(0).arg(m_found.size()));
        return;
    }
    m_chatPage->showMessage(m_found.at(m_current));
    m_field->setCountText(tr("%1 of %2").arg(m_current + 1).arg(m_found.size()));
}

void SearchController::findNext()
{
    step(1);
}

void SearchController::findPrevious()
{
    step(-1);
}

void SearchController::step(int direction)
{
    if (m_pause->isActive()) {
        // Enter before the pause is over: the query runs at once.
        runNow();
        return;
    }
    if (m_mode != Mode::InChat || m_found.isEmpty())
        return;
    const int n = int(m_found.size());
    m_current = ((m_current + direction) % n + n) % n;
    showFound();
}

void SearchController::escape()
{
    const Mode mode = m_mode;
    reset();
    if (mode == Mode::Everywhere) {
        m_page->clear();
        const QScopedValueRollback<bool> navigating(m_navigating, true);
        if (m_origin && m_stack->indexOf(m_origin) >= 0 && m_origin != m_page)
            m_stack->setCurrentWidget(m_origin);
    } else if (mode == Mode::InChat && m_chatPage) {
        m_chatPage->clearMark();
    }
}

void SearchController::onPageChanged()
{
    if (m_navigating || m_mode == Mode::None)
        return;
    // The user went elsewhere (another source, back to the list): the
    // search does not follow.
    QWidget* now = m_stack->currentWidget();
    if ((m_mode == Mode::Everywhere && now != m_page) || (m_mode == Mode::InChat && now != m_chatPage)) {
        reset();
        m_page->clear();
    }
}
