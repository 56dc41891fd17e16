#include "SearchResultsPage.h"

#include "MessageStore.h"

#include <QAbstractListModel>
#include <QEvent>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QVBoxLayout>

#include <cmath>

namespace views {

namespace {

QString messagesText(int n)
{
    return n == 1 ? SearchResultsPage::tr("1 message") : SearchResultsPage::tr("%1 messages").arg(n);
}

QString conversationsText(int n)
{
    return n == 1 ? SearchResultsPage::tr("1 conversation") : SearchResultsPage::tr("%1 conversations").arg(n);
}

enum class Kind { Section, Conversation, Heading, Hit };

// Heights of the row kinds, in pixels at the default font.
constexpr int kSectionHeight = 26;
constexpr int kConversationHeight = 34;
constexpr int kHeadingHeight = 30;
constexpr int kHitHeight = 44;
constexpr int kIndent = 14;

enum Role { KindRole = Qt::UserRole + 1, DetailRole, RowIdRole, AddressRole, NamesRole };

} // namespace

// The rows of the page as plain data.
class SearchResultsModel : public QAbstractListModel
{
public:
    struct Row
    {
        Kind kind;
        int ref; // into m_conversations, m_groups or m_hits; the section's title for a section
    };
    struct Heading
    {
        QByteArray address;
        QString name;
        int count = 0;
    };
    struct ShownHit
    {
        qint64 rowId = 0;
        QByteArray address;
    };

    using QAbstractListModel::QAbstractListModel;

    void set(const search::Results& results, const QVector<SearchResultsPage::Conversation>& conversations,
             MessageStore* store)
    {
        beginResetModel();
        clearData();
        m_store = store;
        m_query = search::Query::parse(results.query);
        m_conversations = conversations;
        if (!m_conversations.isEmpty()) {
            m_rows.append({Kind::Section, 0});
            for (int i = 0; i < m_conversations.size(); ++i)
                m_rows.append({Kind::Conversation, i});
        }
        bool titled = false;
        for (const search::Group& g : results.groups) {
            QVector<int> shown;
            QString name;
            for (int h : g.hits) {
                const MessageRecord* m = store ? store->message(results.hits.at(h).rowId) : nullptr;
                if (!m)
                    continue;
                if (name.isEmpty())
                    name = SearchResultsPage::nameOf(*m);
                shown.append(h);
            }
            if (shown.isEmpty())
                continue;
            if (!titled) {
                m_rows.append({Kind::Section, 1});
                titled = true;
            }
            const QByteArray address = results.addresses.at(g.conversation);
            m_rows.append({Kind::Heading, int(m_headings.size())});
            m_headings.append({address, name, int(shown.size())});
            for (int h : shown) {
                m_rows.append({Kind::Hit, int(m_hits.size())});
                m_hits.append({results.hits.at(h).rowId, address});
            }
        }
        endResetModel();
    }

    void reset()
    {
        beginResetModel();
        clearData();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_rows.size())
            return {};
        const Row& row = m_rows.at(index.row());
        if (role == KindRole)
            return int(row.kind);
        switch (row.kind) {
        case Kind::Section:
            if (role == Qt::DisplayRole)
                return row.ref == 0 ? SearchResultsPage::tr("Conversations") : SearchResultsPage::tr("Messages");
            break;
        case Kind::Conversation: {
            const auto& c = m_conversations.at(row.ref);
            if (role == Qt::DisplayRole)
                return c.name;
            if (role == DetailRole)
                return c.name == QString::fromUtf8(c.address) ? QString() : QString::fromUtf8(c.address);
            if (role == AddressRole)
                return c.address;
            break;
        }
        case Kind::Heading: {
            const Heading& h = m_headings.at(row.ref);
            if (role == Qt::DisplayRole)
                return h.name;
            if (role == DetailRole)
                return messagesText(h.count);
            if (role == AddressRole)
                return h.address;
            break;
        }
        case Kind::Hit: {
            const ShownHit& hit = m_hits.at(row.ref);
            if (role == RowIdRole)
                return hit.rowId;
            if (role == AddressRole)
                return hit.address;
            const MessageRecord* m = m_store ? m_store->message(hit.rowId) : nullptr;
            if (!m)
                break;
            if (role == Qt::DisplayRole)
                return QString::fromUtf8(m->text);
            if (role == NamesRole)
                return m_query.namesBeyondText(*m);
            if (role == DetailRole) {
                QString time = QString::fromUtf8(m->timeText()).trimmed();
                if (time.startsWith(QLatin1String("time:")))
                    time.remove(0, 5);
                const QString who = m->isIncoming ? QString() : SearchResultsPage::tr("me");
                return who.isEmpty() ? time : time + QStringLiteral("  ·  ") + who;
            }
            break;
        }
        }
        return {};
    }

    const search::Query& query() const { return m_query; }
    int hitCount() const { return int(m_hits.size()); }
    int conversationCount() const { return int(m_conversations.size()); }
    int groupCount() const { return int(m_headings.size()); }

private:
    void clearData()
    {
        m_rows.clear();
        m_conversations.clear();
        m_headings.clear();
        m_hits.clear();
        m_store = nullptr;
        m_query = {};
    }

    QVector<Row> m_rows;
    QVector<SearchResultsPage::Conversation> m_conversations;
    QVector<Heading> m_headings;
    QVector<ShownHit> m_hits;
    MessageStore* m_store = nullptr;
    search::Query m_query;
};

namespace {

// Whether a shown text may begin at position at after a cut: at the start
// of a word, or anywhere in a script written without spaces.
bool isCutPoint(const QString& s, int at)
{
    if (at <= 0)
        return true;
    const QChar c = s.at(at);
    const QChar before = s.at(at - 1);
    if (c.isLowSurrogate() || c.category() == QChar::Mark_NonSpacing || c.isSpace())
        return false;
    const auto unspaced = [](QChar ch) {
        const QChar::Script script = ch.script();
        return script == QChar::Script_Han || script == QChar::Script_Hiragana || script == QChar::Script_Katakana;
    };
    return before.isSpace() || unspaced(c) || unspaced(before);
}

class ResultsDelegate : public QStyledItemDelegate
{
public:
    ResultsDelegate(const SearchResultsPage* page, const SearchResultsModel* model)
        : QStyledItemDelegate(const_cast<SearchResultsPage*>(page)), m_page(page), m_model(model)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int line = option.fontMetrics.height();
        switch (Kind(index.data(KindRole).toInt())) {
        case Kind::Section:
            return {0, std::max(kSectionHeight, line + 10)};
        case Kind::Conversation:
            return {0, std::max(kConversationHeight, line + 16)};
        case Kind::Heading:
            return {0, std::max(kHeadingHeight, line + 12)};
        case Kind::Hit:
            break;
        }
        return {0, std::max(kHitHeight, 2 * line + 12)};
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        p->save();
        const QRect r = option.rect;
        const bool hovered = option.state & QStyle::State_MouseOver;
        const bool current = option.state & QStyle::State_Selected;
        const Kind kind = Kind(index.data(KindRole).toInt());
        QFont font = option.font;
        QFont bold = font;
        bold.setBold(true);
        QFont small = font;
        if (small.pointSizeF() > 0)
            small.setPointSizeF(small.pointSizeF() * 0.85);
        else if (small.pixelSize() > 0)
            small.setPixelSize(std::max(8, small.pixelSize() * 85 / 100));

        if (kind == Kind::Heading)
            p->fillRect(r, m_page->headingColor());
        if ((hovered || current) && kind != Kind::Section) {
            QColor shade = m_page->markColor();
            shade.setAlpha(current ? 70 : 40);
            p->fillRect(r, shade);
        }

        const QString text = index.data(Qt::DisplayRole).toString();
        const QString detail = index.data(DetailRole).toString();
        const QRect inner = r.adjusted(kIndent, 0, -kIndent, 0);
        switch (kind) {
        case Kind::Section: {
            QFont f = small;
            f.setBold(true);
            f.setCapitalization(QFont::AllUppercase);
            p->setFont(f);
            p->setPen(m_page->dimColor());
            p->drawText(inner.adjusted(0, 0, 0, -3), Qt::AlignLeft | Qt::AlignBottom, text);
            break;
        }
        case Kind::Conversation:
        case Kind::Heading: {
            p->setFont(small);
            const int detailWidth = detail.isEmpty() ? 0 : QFontMetrics(small).horizontalAdvance(detail) + 12;
            p->setPen(m_page->dimColor());
            p->drawText(inner, Qt::AlignRight | Qt::AlignVCenter, detail);
            p->setFont(bold);
            p->setPen(m_page->nameColor());
            const QRect nameRect = inner.adjusted(0, 0, -detailWidth, 0);
            p->drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter,
                        QFontMetrics(bold).elidedText(text, Qt::ElideRight, nameRect.width()));
            break;
        }
        case Kind::Hit: {
            const QFontMetrics smallMetrics(small);
            const int top = r.top() + 5;
            p->setFont(small);
            p->setPen(m_page->dimColor());
            p->drawText(QRect(inner.left() + kIndent, top, inner.width() - kIndent, smallMetrics.height()),
                        Qt::AlignLeft | Qt::AlignVCenter, detail);
            drawMarked(p, text, index.data(NamesRole).toStringList(), font,
                       QPoint(inner.left() + kIndent, top + smallMetrics.height() + 2), inner.width() - kIndent);
            break;
        }
        }
        p->restore();
    }

private:
    // One line of a hit's text with the matched parts marked, cut with "…"
    // where it does not fit. The names of attachments that matched where
    // the text does not follow it, marked alike, and stay in sight.
    void drawMarked(QPainter* p, const QString& text, const QStringList& names, const QFont& font, const QPoint& at,
                    int width) const
    {
        QString tail;
        QVector<search::Span> tailSpans;
        for (const QString& name : names) {
            tail += text.isEmpty() && tail.isEmpty() ? QStringLiteral("[") : QStringLiteral(" [");
            for (const search::Span& s : m_model->query().spansIn(name))
                tailSpans.append({int(tail.size()) + s.start, s.length});
            tail += name + QLatin1Char(']');
        }
        const QFontMetrics metrics(font);
        const int tailWidth = tail.isEmpty() ? 0 : std::min(metrics.horizontalAdvance(tail), width / 2);
        QVector<search::Span> spans = m_model->query().spansIn(text);
        const int textRoom = width - tailWidth;
        const QString shown = SearchResultsPage::shownText(text, &spans, metrics, textRoom);
        const int drawn = drawLine(p, shown, spans, font, at, textRoom);
        if (!tail.isEmpty())
            drawLine(p, tail, tailSpans, font, at + QPoint(drawn, 0), width - drawn);
    }

    // One line with the spans marked, cut with "…" where it does not fit;
    // the width it took.
    int drawLine(QPainter* p, const QString& shown, const QVector<search::Span>& spans, const QFont& font,
                 const QPoint& at, int width) const
    {
        QList<QTextLayout::FormatRange> formats;
        for (const search::Span& s : std::as_const(spans)) {
            QTextLayout::FormatRange range;
            range.start = s.start;
            range.length = s.length;
            range.format.setBackground(m_page->markColor());
            range.format.setForeground(m_page->markTextColor());
            range.format.setFontWeight(QFont::Bold);
            formats.append(range);
        }
        QTextLayout layout(shown, font);
        layout.setFormats(formats);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAnywhere);
        layout.setTextOption(option);
        const QFontMetrics metrics(font);
        const QString ellipsis = QStringLiteral("…");
        const int fullWidth = metrics.horizontalAdvance(shown);
        const int room = fullWidth <= width ? width : std::max(0, width - metrics.horizontalAdvance(ellipsis));
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (line.isValid()) {
            line.setLineWidth(room);
            line.setPosition(QPointF(0, 0));
        }
        layout.endLayout();
        p->setPen(m_page->textColor());
        layout.draw(p, at);
        if (!line.isValid())
            return 0;
        const int natural = int(std::ceil(line.naturalTextWidth()));
        if (line.textLength() >= shown.size())
            return natural;
        p->drawText(QPointF(at.x() + line.naturalTextWidth(), at.y() + line.ascent()), ellipsis);
        return natural + metrics.horizontalAdvance(ellipsis);
    }

    const SearchResultsPage* m_page;
    const SearchResultsModel* m_model;
};

} // namespace

} // namespace views

using views::SearchResultsModel;

SearchResultsPage::SearchResultsPage(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("searchResultsPage"));
    m_colors[0] = QColor(0x1f, 0x23, 0x28);
    m_colors[1] = QColor(0x30, 0x35, 0x3c);
    m_colors[2] = QColor(0x8a, 0x8f, 0x98);
    m_colors[3] = QColor(0xff, 0xe0, 0x8a);
    m_colors[4] = QColor(0x1f, 0x23, 0x28);
    m_colors[5] = QColor(0xf2, 0xf4, 0xf7);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("searchSummary"));
    m_summary->setTextFormat(Qt::PlainText);
    layout->addWidget(m_summary);

    m_model = new SearchResultsModel(this);
    m_view = new QListView(this);
    m_view->setObjectName(QStringLiteral("searchResults"));
    m_view->setModel(m_model);
    m_view->setItemDelegate(new views::ResultsDelegate(this, m_model));
    m_view->setMouseTracking(true);
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows are laid out a batch at a time: half a million hits appear at once.
    m_view->setLayoutMode(QListView::Batched);
    m_view->setBatchSize(2000);
    layout->addWidget(m_view, 1);

    connect(m_view, &QListView::clicked, this, &SearchResultsPage::onActivated);
    connect(m_view, &QListView::activated, this, &SearchResultsPage::onActivated);
    updateSummary();
}

SearchResultsPage::~SearchResultsPage() = default;

QString SearchResultsPage::shownText(const QString& text, QVector<search::Span>* spans, const QFontMetrics& metrics,
                                     int width)
{
    QString s = text;
    for (QChar& c : s) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    if (spans->isEmpty())
        return s;
    const int start = spans->first().start;
    const int end = start + spans->first().length;
    if (metrics.horizontalAdvance(s.left(end)) <= width)
        return s;
    // Before the match a third of the line stays, less when the match
    // needs the room.
    const QString ellipsis = QStringLiteral("…");
    const int matchWidth = metrics.horizontalAdvance(s.mid(start, end - start));
    const int lead = std::max(0, std::min(width / 3, width - metrics.horizontalAdvance(ellipsis) - matchWidth));
    int cut = start;
    int leadWidth = 0;
    while (cut > 0) {
        int before = cut - 1;
        // Never between the two halves of a pair of surrogates.
        if (before > 0 && s.at(before).isLowSurrogate() && s.at(before - 1).isHighSurrogate())
            --before;
        leadWidth += metrics.horizontalAdvance(s.mid(before, cut - before));
        if (leadWidth > lead)
            break;
        cut = before;
    }
    // Then on to the start of a word; a word longer than the room is cut
    // where its match begins.
    while (cut < start && !views::isCutPoint(s, cut))
        ++cut;
    if (cut == 0)
        return s;
    s = ellipsis + s.mid(cut);
    for (search::Span& sp : *spans)
        sp.start = sp.start - cut + int(ellipsis.size());
    return s;
}

QString SearchResultsPage::nameOf(const MessageRecord& record)
{
    QString name;
    if (record.contactName != "NULL")
        name = QString::fromUtf8(record.contactName).trimmed();
    return name.isEmpty() ? QString::fromUtf8(record.address) : name;
}

void SearchResultsPage::showResults(const search::Results& results, const QVector<Conversation>& conversations,
                                    MessageStore* store)
{
    m_searching = false;
    m_model->set(results, conversations, store);
    m_view->scrollToTop();
    updateSummary();
}

void SearchResultsPage::showSearching()
{
    m_searching = true;
    updateSummary();
}

void SearchResultsPage::clear()
{
    m_searching = false;
    m_model->reset();
    updateSummary();
}

int SearchResultsPage::hitCount() const
{
    return m_model->hitCount();
}

int SearchResultsPage::conversationCount() const
{
    return m_model->conversationCount();
}

QString SearchResultsPage::summary() const
{
    return m_summary->text();
}

void SearchResultsPage::updateSummary()
{
    if (m_searching) {
        m_summary->setText(tr("Searching…"));
    } else if (m_model->hitCount() == 0 && m_model->conversationCount() > 0) {
        // Only names or numbers matched: the page is not empty.
        m_summary->setText(views::conversationsText(m_model->conversationCount()));
    } else if (m_model->hitCount() == 0) {
        m_summary->setText(tr("No messages found"));
    } else {
        m_summary->setText(
            tr("%1 in %2")
                .arg(views::messagesText(m_model->hitCount()), views::conversationsText(m_model->groupCount())));
    }
}

void SearchResultsPage::onActivated(const QModelIndex& index)
{
    const auto kind = views::Kind(index.data(views::KindRole).toInt());
    const QByteArray address = index.data(views::AddressRole).toByteArray();
    if (kind == views::Kind::Hit)
        emit messageChosen(address, index.data(views::RowIdRole).toLongLong());
    else if (kind == views::Kind::Conversation || kind == views::Kind::Heading)
        emit conversationChosen(address);
}

void SearchResultsPage::setColor(int which, const QColor& c)
{
    m_colors[which] = c;
    m_view->viewport()->update();
}

void SearchResultsPage::changeEvent(QEvent* event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        updateSummary();
}
