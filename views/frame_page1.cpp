#include "frame_page1.h"

#include "MessageStore.h"

#include "ui_frame_page1.h"

#include <QEvent>
#include <QScrollArea>

#include <algorithm>

namespace {

// A list row previews the message; the chat page shows it whole.
constexpr int kPreviewChars = 160;
// Longer names than any person has are cut there, with "…".
constexpr int kNameChars = 2000;

QString previewText(const QByteArray& text)
{
    // Only the start of a long text is decoded: at most four bytes a character.
    int cut = std::min<int>(int(text.size()), 4 * (kPreviewChars + 1));
    while (cut > 0 && cut < text.size() && (uchar(text.at(cut)) & 0xC0) == 0x80)
        --cut;
    QString s = QString::fromUtf8(text.constData(), cut).simplified();
    if (s.size() > kPreviewChars || cut < text.size())
        s = views::clippedText(s, kPreviewChars);
    if (cut < text.size() && !s.endsWith(QChar(0x2026)))
        s += QChar(0x2026);
    return views::breakableText(s);
}

} // namespace

frame_page1::frame_page1(MessageStore* store, QWidget* parent) : QFrame(parent), ui(std::make_unique<Ui::frame_page1>())
{
    ui->setupUi(this);

    // The designer's content widget goes; rows are placed on a canvas over
    // the viewport, only those near the visible part.
    QScrollArea* area = ui->scrollArea;
    delete area->takeWidget();
    m_canvas = new QFrame(area->viewport());
    m_canvas->setObjectName(QStringLiteral("conversationList"));
    m_canvas->setFrameShape(QFrame::NoFrame);
    // A bar that comes and goes would change the width, and with it the
    // height of every row, each time the list grows past a screen.
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_column = std::make_unique<views::ItemColumn>(area, m_canvas, static_cast<Items*>(this));

    isBrowsing = true;
    this->store = store;
    ui->pushButton_Edit->hide();
    if (store)
        showConversations(store);
}

frame_page1::~frame_page1() = default;

void frame_page1::showConversations(MessageStore* newStore)
{
    isBrowsing = true;
    m_rowsEditing = false;
    ui->pushButton_Edit->setText(tr("&Edit"));
    store = newStore;

    QFont bold = font();
    bold.setWeight(QFont::Bold);
    setFont(bold);
    // The skin's fonts apply before anything is measured.
    ensurePolished();

    takeHeads();
    ui->pushButton_Edit->setVisible(!m_heads.isEmpty());
    for (messageframe* row : std::as_const(rows))
        row->hide();
    m_column->reset(int(m_heads.size()));
}

void frame_page1::refreshRows()
{
    takeHeads();
    // Back from a conversation, the list stays where the user left it.
    m_column->reset(int(m_heads.size()), false);
}

void frame_page1::resetEditMode()
{
    ui->pushButton_Edit->setText(tr("Edit"));
    isBrowsing = true;
}

void frame_page1::setEditButtonVisible(bool visible)
{
    ui->pushButton_Edit->setVisible(visible);
}

void frame_page1::itemClick(QString id)
{
    if (!isBrowsing)
        return;
    if (store)
        store->conversation.clear();
    emit sendMessageClick(id);
}

void frame_page1::deleteSameMessageNEW(QString Tel, messageframe* row)
{
    if (row)
        row->close();
    int item = m_itemOfRow.value(row, -1);
    if (item < 0) {
        for (int i = 0; i < m_heads.size() && item < 0; ++i) {
            if (!m_entries[i].closed && QString::fromUtf8(m_heads[i].address) == Tel)
                item = i;
        }
    }
    if (item >= 0) {
        m_entries[item].closed = true;
        m_column->remeasure(item);
    }
    if (store)
        store->deleteConversation(Tel.toUtf8());
}

void frame_page1::removeAll()
{
    // Called when the source goes away; the store is about to be deleted.
    m_heads.clear();
    m_entries.clear();
    store = nullptr;
    m_column->reset(0);
    for (messageframe* row : std::as_const(rows))
        row->hide();
}

void frame_page1::on_pushButton_Edit_clicked()
{
    isBrowsing = !isBrowsing;
    if (!isBrowsing) {
        emit sendIsEdit(true);
        ui->pushButton_Edit->setText(tr("&Done"));
        for (messageframe* row : std::as_const(rows))
            row->resetMinusButton();
        for (Entry& e : m_entries)
            e.offered = false;
    } else {
        emit sendIsEdit(false);
        ui->pushButton_Edit->setText(tr("&Edit"));
    }
    m_rowsEditing = !isBrowsing;
    m_column->remeasureAll();
}

void frame_page1::offerChanged(messageframe* row, bool offered)
{
    const int item = m_itemOfRow.value(row, -1);
    if (item < 0)
        return;
    m_entries[item].offered = offered;
    m_column->remeasure(item);
}

bool frame_page1::event(QEvent* e)
{
    const bool handled = QFrame::event(e);
    // The skin's fonts reach the rows when they are polished; measure again then.
    if (e->type() == QEvent::Polish || e->type() == QEvent::StyleChange) {
        m_metricsValid = false;
        if (m_column && !m_heads.isEmpty())
            m_column->remeasureAll();
    }
    return handled;
}

void frame_page1::changeEvent(QEvent* e)
{
    QFrame::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        m_metricsValid = false;
        if (m_column && !m_heads.isEmpty())
            m_column->remeasureAll();
    }
    if (e->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        ui->pushButton_Edit->setText(isBrowsing ? tr("&Edit") : tr("&Done"));
    }
}

void frame_page1::takeHeads()
{
    m_heads = store ? store->conversationHeads : QVector<MessageRecord>();
    m_entries = QVector<Entry>(m_heads.size());
}

QString frame_page1::nameOf(int item) const
{
    const MessageRecord& head = m_heads[item];
    // A store whose names were never filled has empty names; show the
    // number then, as for a number without a contact.
    QString name;
    if (head.contactName != "NULL")
        name = QString::fromUtf8(head.contactName).trimmed();
    if (name.isEmpty())
        name = QString::fromUtf8(head.address);
    return views::clippedText(name, kNameChars);
}

views::RowTexts frame_page1::textsOf(int item) const
{
    const MessageRecord& head = m_heads[item];
    views::RowTexts t;
    t.name = views::breakableText(nameOf(item));
    t.time = QString::fromUtf8(head.timeText()).trimmed();
    t.text = previewText(head.text);
    return t;
}

int frame_page1::heightOf(int item, int width, views::Measure how, bool* exact)
{
    const Entry& e = m_entries[item];
    *exact = true;
    if (e.closed)
        return 0;
    // Most rows are a short name and a short text: counted from the stored
    // bytes, without making the texts.
    const MessageRecord& head = m_heads[item];
    const QByteArray& name = head.contactName == "NULL" || head.contactName.isEmpty() ? head.address : head.contactName;
    const bool trimmed = !name.isEmpty() && name.front() != ' ' && name.back() != ' ';
    constexpr qint64 kYear10000 = 253402300800;
    if (trimmed && head.text.size() <= kPreviewChars && head.time >= 0 && head.time < kYear10000) {
        if (const int h = views::oneLineRowHeight(metrics(), name, head.text, width, m_rowsEditing, e.offered))
            return h;
    }
    return views::rowHeight(metrics(), textsOf(item), width, m_rowsEditing, e.offered, how, exact);
}

int frame_page1::quickHeight(int item, int width, bool* exact)
{
    return heightOf(item, width, views::Measure::Quick, exact);
}

int frame_page1::exactHeight(int item, int width)
{
    bool exact = true;
    return heightOf(item, width, views::Measure::Exact, &exact);
}

int frame_page1::attach(int item, int width)
{
    const Entry& e = m_entries[item];
    if (e.closed)
        return 0;
    messageframe* row = m_live.value(item);
    if (!row) {
        row = takeRow();
        m_live.insert(item, row);
        m_itemOfRow.insert(row, item);
        const views::RowTexts t = textsOf(item);
        row->setPhoneNumber(QString::fromUtf8(m_heads[item].address));
        // setContents breaks the name's long runs itself.
        row->setContents(nameOf(item), t.time, t.text);
    }
    // A row made or reused now shows the mode and state the page keeps.
    row->deleteButtonState(m_rowsEditing);
    row->setDeleteOffered(m_rowsEditing && e.offered);
    return row->heightForWidth(width);
}

void frame_page1::place(int item, const QRect& rect)
{
    if (messageframe* row = m_live.value(item))
        views::placeWidget(row, rect);
}

void frame_page1::detach(int item)
{
    messageframe* row = m_live.take(item);
    if (!row)
        return;
    m_itemOfRow.remove(row);
    m_spare.append(row);
}

void frame_page1::settle()
{
    for (messageframe* row : std::as_const(m_spare))
        if (!row->isHidden())
            row->hide();
}

const views::RowMetrics& frame_page1::metrics()
{
    if (!m_metricsValid) {
        if (rows.isEmpty())
            m_spare.append(takeRow());
        m_metrics = rows.first()->metrics();
        m_metricsValid = true;
    }
    return m_metrics;
}

messageframe* frame_page1::takeRow()
{
    if (!m_spare.isEmpty())
        return m_spare.takeLast();
    auto* row = new messageframe(m_canvas);
    row->hide();
    row->setLook(&m_look);
    connect(this, &frame_page1::sendIsEdit, row, &messageframe::deleteButtonState);
    connect(row, &messageframe::sendDeletePerson, this, &frame_page1::deleteSameMessageNEW);
    connect(row, &messageframe::selClicked, this, &frame_page1::itemClick);
    connect(row, &messageframe::deleteOfferChanged, this, &frame_page1::offerChanged);
    rows.append(row);
    // The skin's fonts are in force before the row is measured.
    row->ensurePolished();
    return row;
}

void frame_page1::setRowColor(const QColor& c)
{
    m_look.background = c;
    lookChanged();
}

void frame_page1::setSeparatorColor(const QColor& c)
{
    m_look.separator = c;
    lookChanged();
}

void frame_page1::setMinusColor(const QColor& c)
{
    m_look.minus = c;
    lookChanged();
}

void frame_page1::lookChanged()
{
    for (messageframe* row : std::as_const(rows))
        row->setLook(&m_look);
}
