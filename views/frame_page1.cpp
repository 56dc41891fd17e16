#include "frame_page1.h"

#include "MessageStore.h"
#include "LayoutBatch.h"
#include "bubbletext.h"
#include "messageframe.h"

#include "ui_frame_page1.h"

#include <QEvent>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Enough rows to cover a tall window; the rest follow while scrolling.
constexpr int kFirstRows = 24;
constexpr int kBatchRows = 40;
// A list row previews the message; the chat page shows it whole.
constexpr int kPreviewChars = 160;

QString previewText(const QByteArray& text)
{
    QString s = QString::fromUtf8(text).simplified();
    if (s.size() > kPreviewChars) {
        s.truncate(kPreviewChars);
        s += QChar(0x2026);
    }
    return views::breakableText(s);
}

} // namespace

frame_page1::frame_page1(MessageStore* store, QWidget* parent) : QFrame(parent), ui(std::make_unique<Ui::frame_page1>())
{
    ui->setupUi(this);

    auto* content = new QFrame(this);
    content->setObjectName(QStringLiteral("conversationList"));
    content->setFrameShape(QFrame::NoFrame);
    listLayout = new QVBoxLayout(content);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(0);
    // One stretch below the rows keeps a short list at the top.
    listLayout->addStretch(0);
    ui->scrollArea->setWidget(content);

    // With the bar coming and going, the scroll area measures the rows at
    // two widths in turn, and every cached row height is lost each time.
    ui->scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QScrollBar* bar = ui->scrollArea->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &frame_page1::scheduleGrowth);
    connect(bar, &QScrollBar::rangeChanged, this, &frame_page1::scheduleGrowth);

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
    ui->pushButton_Edit->setText(tr("&Edit"));
    store = newStore;
    takeEntries();
    ui->pushButton_Edit->setVisible(!m_entries.isEmpty());

    QFont bold = font();
    bold.setWeight(QFont::Bold);
    setFont(bold);

    for (messageframe* row : std::as_const(rows))
        row->hide();
    m_filled = 0;
    fillRows(std::min(kFirstRows, int(m_entries.size())));
    ui->scrollArea->verticalScrollBar()->setValue(0);
    scheduleGrowth();
}

void frame_page1::refreshRows()
{
    takeEntries();
    const int n = int(m_entries.size());
    const int keep = std::min(m_filled, n);
    for (int i = 0; i < keep; ++i)
        fillRow(i);
    for (int i = keep; i < rows.size(); ++i)
        rows[i]->hide();
    m_filled = keep;
    fillRows(std::min(std::max(keep, kFirstRows), n));
    scheduleGrowth();
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
    if (store)
        store->deleteConversation(Tel.toUtf8());
}

void frame_page1::removeAll()
{
    for (messageframe* row : std::as_const(rows))
        row->hide();
    // Called when the source goes away; the store is about to be deleted.
    m_entries.clear();
    m_filled = 0;
    store = nullptr;
}

void frame_page1::on_pushButton_Edit_clicked()
{
    isBrowsing = !isBrowsing;
    if (!isBrowsing) {
        emit sendIsEdit(true);
        ui->pushButton_Edit->setText(tr("&Done"));
        for (messageframe* row : std::as_const(rows))
            row->resetMinusButton();
    } else {
        emit sendIsEdit(false);
        ui->pushButton_Edit->setText(tr("&Edit"));
    }
}

void frame_page1::takeEntries()
{
    m_entries.clear();
    if (!store)
        return;
    const QVector<MessageRecord>& heads = store->conversationHeads;
    m_entries.reserve(heads.size());
    for (const MessageRecord& head : heads) {
        Entry e;
        e.address = QString::fromUtf8(head.address);
        // A store whose names were never filled has empty names; show the
        // number then, as for a number without a contact.
        e.name = head.contactName == "NULL" ? QString() : QString::fromUtf8(head.contactName).trimmed();
        if (e.name.isEmpty())
            e.name = e.address;
        e.timeText = QString::fromUtf8(head.timeText());
        e.text = previewText(head.text);
        m_entries.append(e);
    }
}

void frame_page1::fillRow(int index)
{
    messageframe* row = rows[index];
    const Entry& e = m_entries[index];
    row->setPhoneNumber(e.address);
    row->setContents(e.name, e.timeText, e.text);
    // A row made or reused now joins the mode the page is in.
    row->deleteButtonState(!isBrowsing);
    if (!isBrowsing)
        row->resetMinusButton();
    row->show();
}

void frame_page1::fillRows(int count)
{
    count = std::min(count, int(m_entries.size()));
    if (m_filled >= count)
        return;
    views::LayoutBatch batch(listLayout);
    // New rows go into one block that joins the list when complete, so
    // that laying out the list costs one step per block, not per row.
    QWidget* block = nullptr;
    QVBoxLayout* blockLayout = nullptr;
    while (m_filled < count) {
        if (m_filled >= rows.size()) {
            if (!block) {
                block = new QWidget(listLayout->parentWidget());
                block->setObjectName(QStringLiteral("rowBatch"));
                block->hide();
                blockLayout = new QVBoxLayout(block);
                blockLayout->setContentsMargins(0, 0, 0, 0);
                blockLayout->setSpacing(0);
            }
            auto* row = new messageframe(block);
            connect(this, &frame_page1::sendIsEdit, row, &messageframe::deleteButtonState);
            connect(row, &messageframe::sendDeletePerson, this, &frame_page1::deleteSameMessageNEW);
            connect(row, &messageframe::selClicked, this, &frame_page1::itemClick);
            rows.append(row);
            blockLayout->addWidget(row);
        }
        fillRow(m_filled++);
    }
    if (block) {
        listLayout->insertWidget(listLayout->count() - 1, block);
        block->show();
    }
}

void frame_page1::scheduleGrowth()
{
    // Layouts settle after the event that changed them; look once they have.
    if (m_growthPending || m_filled >= m_entries.size())
        return;
    m_growthPending = true;
    QTimer::singleShot(0, this, &frame_page1::growTowardView);
}

void frame_page1::growTowardView()
{
    m_growthPending = false;
    if (m_filled >= m_entries.size() || !ui->scrollArea->isVisible())
        return;
    const QScrollBar* bar = ui->scrollArea->verticalScrollBar();
    const int below = bar->maximum() - bar->value();
    // Each batch as large as all before it: a jump to the end of a long
    // list then takes a few layout passes, not hundreds.
    if (below < 2 * ui->scrollArea->viewport()->height())
        fillRows(m_filled + std::max(kBatchRows, m_filled));
}

void frame_page1::showEvent(QShowEvent* e)
{
    QFrame::showEvent(e);
    scheduleGrowth();
}

void frame_page1::changeEvent(QEvent* e)
{
    QFrame::changeEvent(e);
    if (e->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        ui->pushButton_Edit->setText(isBrowsing ? tr("&Edit") : tr("&Done"));
    }
}
