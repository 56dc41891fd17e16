#include "frame_page2.h"

#include "AttachmentActions.h"
#include "AttachmentStrip.h"
#include "Frame.h"
#include "Frame1.h"
#include "MessageStore.h"
#include "ThumbnailCache.h"
#include "smsChartCtrl.h"
#include "xdialogs.h"

#include "ui_frame_page2.h"

#include <QEvent>
#include <QLabel>
#include <QStyle>
#include <QTimer>

#include <algorithm>

using views::ChatItem;

namespace {

// The date label above each bubble, and a group event's line.
constexpr int kDateHeight = 15;
constexpr int kEventHeight = 26;
// The select button beside a bubble in edit mode.
constexpr int kMarkSize = 20;
// How long a message found by a search stays marked.
constexpr int kFoundMarkMs = 1600;

} // namespace

frame_page2::frame_page2(MessageStore* store, QWidget* parent) : QFrame(parent), ui(std::make_unique<Ui::frame_page2>())
{
    ui->setupUi(this);
    this->store = store;
    messageButtonGoesBack = true;
    isBrowsing = true;
    ui->pushButton_3->hide();
    ui->pushButton_3->setEnabled(false);
    ui->pushButton_Edit->show();
    ui->iphonenumber->setTextFormat(Qt::PlainText);
    // The header takes the room between the two buttons, and only elides
    // what does not fit there.
    ui->iphonenumber->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    ui->iphonenumber->setAlignment(Qt::AlignCenter);
    ui->gridLayout->setColumnStretch(2, 1);

    smsChartCtrl* ctrl = ui->scrollArea;
    connect(ctrl, &smsChartCtrl::sendLeftPointer, this, &frame_page2::addLeft);
    connect(ctrl, &smsChartCtrl::sendRightPointer, this, &frame_page2::addRight);
    connect(ctrl, &smsChartCtrl::sendTongJi, this, &frame_page2::Tongji);
    connect(ctrl, &smsChartCtrl::SendOneMesage, this, &frame_page2::copyOneMeeage);

    m_column = std::make_unique<views::ItemColumn>(ctrl, ctrl->canvas(), static_cast<Items*>(this));

    m_markTimer = new QTimer(this);
    m_markTimer->setSingleShot(true);
    m_markTimer->setInterval(kFoundMarkMs);
    connect(m_markTimer, &QTimer::timeout, this, &frame_page2::clearMark);
    m_thumbnails = new views::ThumbnailCache(this);
    m_attachmentActions = new views::AttachmentActions(this);
    // A thumbnail made repaints the strips on screen; their heights do not
    // depend on it.
    connect(m_thumbnails, &views::ThumbnailCache::thumbnailReady, this, [this] {
        for (const Live& live : std::as_const(m_live))
            if (live.strip)
                live.strip->update();
    });
}

frame_page2::~frame_page2() = default;

void frame_page2::setAttachmentFiles(AttachmentFiles* files)
{
    m_thumbnails->setFiles(files);
    m_attachmentActions->setFiles(files);
    for (const Live& live : std::as_const(m_live))
        if (live.strip)
            live.strip->update();
}

QStringList frame_page2::saveAllAttachments()
{
    QVector<AttachmentRecord> all;
    if (store) {
        for (const MessageRecord& m : std::as_const(store->conversation))
            all += store->attachmentsOf(m.rowId);
    }
    return m_attachmentActions->saveAll(all, this);
}

int frame_page2::attachmentHeight(int item) const
{
    return store ? views::AttachmentStrip::heightFor(store->attachmentsOf(m_items.record(item).rowId)) : 0;
}

views::AttachmentStrip* frame_page2::takeStrip()
{
    if (!m_spareStrips.isEmpty())
        return m_spareStrips.takeLast();
    auto* strip = new views::AttachmentStrip(ui->scrollArea->canvas());
    strip->hide();
    connect(strip, &views::AttachmentStrip::openRequested, this,
            [this](const AttachmentRecord& a) { m_attachmentActions->open(a, this); });
    connect(strip, &views::AttachmentStrip::saveRequested, this,
            [this](const AttachmentRecord& a) { m_attachmentActions->save(a, this); });
    connect(strip, &views::AttachmentStrip::saveAllRequested, this, &frame_page2::saveAllAttachments);
    m_strips.append(strip);
    return strip;
}

void frame_page2::loadConversation(MessageStore* newStore)
{
    ui->pushButton_3->hide();
    messageButtonGoesBack = true;
    isBrowsing = true;
    ui->toolButtonMessageAndClear->setText(tr("Message"));
    ui->pushButton_Edit->setText(tr("Edit"));
    discardBubbles();
    m_bubblesEditing = false;

    m_markTimer->stop();
    m_markedRow = 0;
    store = newStore;
    // The skin's look applies before anything is measured.
    ensurePolished();
    m_items.load(store ? store->conversation : QVector<MessageRecord>(), store);
    if (!m_items.records().isEmpty())
        ui->iphonenumber->setText(m_items.header());
    m_column->reset(m_items.count());
    ui->pushButton_Edit->setVisible(!m_items.records().isEmpty());
}

bool frame_page2::showMessage(qint64 rowId, bool lasting)
{
    const QVector<MessageRecord>& records = m_items.records();
    int item = -1;
    for (int r = 0; r < records.size() && item < 0; ++r) {
        if (records.at(r).rowId == rowId)
            item = m_items.itemOfRecord(r);
    }
    if (item < 0 || m_items.at(item).gone)
        return false;
    m_markedRow = rowId;
    if (lasting)
        m_markTimer->stop();
    else
        m_markTimer->start();
    m_column->scrollToItem(item);
    for (auto it = m_live.cbegin(); it != m_live.cend(); ++it) {
        if (it->bubble)
            showMark(it->bubble, it.key() == item);
    }
    return true;
}

void frame_page2::clearMark()
{
    m_markTimer->stop();
    m_markedRow = 0;
    for (const Live& live : std::as_const(m_live)) {
        if (live.bubble)
            showMark(live.bubble, false);
    }
}

void frame_page2::showMark(BubbleFrame* bubble, bool on)
{
    if (bubble->property("found").toBool() == on)
        return;
    // The skin draws the mark by this property.
    bubble->setProperty("found", on);
    bubble->style()->unpolish(bubble);
    bubble->style()->polish(bubble);
    bubble->update();
}

void frame_page2::resetEditMode()
{
    messageButtonGoesBack = true;
    ui->toolButtonMessageAndClear->setText(tr("Message"));
    isBrowsing = true;
    ui->pushButton_Edit->setText(tr("Edit"));
}

void frame_page2::setDeleteButtonShown(bool shown)
{
    ui->pushButton_3->setVisible(shown);
    ui->pushButton_3->setEnabled(shown);
}

void frame_page2::setEditButtonVisible(bool visible)
{
    ui->pushButton_Edit->setVisible(visible);
}

void frame_page2::addLeft(Frame* f)
{
    leftBubbles.append(f);
}

void frame_page2::addRight(Frame1* f)
{
    rightBubbles.append(f);
}

void frame_page2::Tongji(QFrame* f, int side, QLabel* label)
{
    Q_UNUSED(side)
    auto* bubble = qobject_cast<BubbleFrame*>(f);
    const int item = m_itemOfBubble.value(f, -1);
    // The scroll control has toggled the bubble; the message keeps that.
    if (bubble && item >= 0)
        m_items.setSelected(item, bubble->isSelected());
    hideCopyButtons();
    if (isBrowsing && focusWidget() == label) {
        if (bubble)
            bubble->setCopyButtonVisible(true);
        if (item >= 0) {
            m_copyItem = item;
            m_column->remeasure(item);
        }
        return;
    }
    updateDeleteButton();
}

void frame_page2::copyOneMeeage(QFrame* f, int side)
{
    emit sendOneMessage(f, side);
}

void frame_page2::on_toolButtonMessageAndClear_clicked()
{
    if (messageButtonGoesBack) {
        discardBubbles();
        ui->pushButton_Edit->setText(tr("Edit"));
        // The list page takes over; the next loadConversation names the store again.
        store = nullptr;
        emit sendToPage1(ui->iphonenumber->text());
        return;
    }

    const int shown = m_generation;
    if (yesNoDialog(this, QStringLiteral("Warning"), QStringLiteral("Are you sure to Delete these messages?")) != 0)
        return;
    // While the question was open the page may have been given another
    // conversation, or its store taken away: the answer was not about that.
    if (shown != m_generation)
        return;
    QVector<qint64> rowIds;
    if (store) {
        rowIds.reserve(store->conversation.size());
        for (const MessageRecord& r : std::as_const(store->conversation))
            rowIds.append(r.rowId);
    }
    MessageStore* target = store;
    discardBubbles();
    ui->pushButton_Edit->hide();
    ui->pushButton_3->hide();
    ui->toolButtonMessageAndClear->setText(tr("Message"));
    messageButtonGoesBack = true;
    if (target)
        target->deleteMessages(rowIds);
}

void frame_page2::on_pushButton_Edit_clicked()
{
    isBrowsing = !isBrowsing;
    if (!isBrowsing) {
        messageButtonGoesBack = false;
        ui->pushButton_3->setText(tr("Delete"));
        ui->pushButton_Edit->setText(tr("Done"));
        ui->toolButtonMessageAndClear->setText(tr("Clear All"));
        ui->pushButton_3->show();
        ui->pushButton_3->setEnabled(false);
    } else {
        messageButtonGoesBack = true;
        ui->pushButton_Edit->setText(tr("Edit"));
        ui->toolButtonMessageAndClear->setText(tr("Message"));
        ui->pushButton_3->hide();
    }
    // Either way every bubble starts unselected, with or without its select button.
    m_bubblesEditing = !isBrowsing;
    m_items.clearSelection();
    for (Frame* b : std::as_const(leftBubbles))
        b->setEditMode(m_bubblesEditing);
    for (Frame1* b : std::as_const(rightBubbles))
        b->setEditMode(m_bubblesEditing);
    m_column->remeasureAll();
}

QVector<qint64> frame_page2::selectedRowIds() const
{
    QVector<qint64> rowIds;
    if (isBrowsing)
        return rowIds;
    const QVector<MessageRecord>& records = m_items.records();
    for (int r = 0; r < records.size(); ++r) {
        const int item = m_items.itemOfRecord(r);
        if (item >= 0 && m_items.at(item).selected && !m_items.at(item).gone)
            rowIds.append(records.at(r).rowId);
    }
    return rowIds;
}

void frame_page2::on_pushButton_3_clicked()
{
    // Selected incoming messages from the latest to the oldest, then the
    // sent ones likewise, all in one transaction.
    const QVector<MessageRecord>& records = m_items.records();
    QVector<qint64> rowIds;
    QVector<int> gone;
    for (bool incoming : {true, false}) {
        for (int r = int(records.size()) - 1; r >= 0; --r) {
            const int item = m_items.itemOfRecord(r);
            if (item < 0 || records.at(r).isIncoming != incoming)
                continue;
            const ChatItem& it = m_items.at(item);
            if (it.selected && !it.gone) {
                rowIds.append(records.at(r).rowId);
                gone.append(item);
            }
        }
    }

    // The bubbles go first, whether or not the statements succeed (a
    // failure is reported): the report may run an event loop, in which the
    // page can be given another conversation or none.
    for (int item : std::as_const(gone)) {
        m_items.setGone(item);
        if (item == m_copyItem)
            m_copyItem = -1;
    }
    if (m_items.messagesLeft() == 0) {
        // Nothing is left to show the group's events between.
        for (int i = 0; i < m_items.count(); ++i) {
            if (!m_items.isMessage(i) && !m_items.at(i).gone) {
                m_items.setGone(i);
                gone.append(i);
            }
        }
        ui->pushButton_3->setEnabled(false);
        ui->pushButton_Edit->hide();
        ui->toolButtonMessageAndClear->setText(tr("Message"));
        messageButtonGoesBack = true;
    }
    m_column->remeasure(gone);
    ui->pushButton_3->setText(tr("Delete"));
    ui->pushButton_3->setEnabled(false);
    if (store)
        store->deleteMessages(rowIds);
}

bool frame_page2::event(QEvent* e)
{
    if (e->type() == QEvent::MouseButtonPress)
        hideCopyButtons();
    return QFrame::event(e);
}

void frame_page2::changeEvent(QEvent* e)
{
    QFrame::changeEvent(e);
    if (e->type() == QEvent::LanguageChange) {
        const QString number = ui->iphonenumber->text();
        const QString deleteText = ui->pushButton_3->text();
        ui->retranslateUi(this);
        // Keep what the page shows in its present state.
        ui->iphonenumber->setText(number);
        ui->toolButtonMessageAndClear->setText(messageButtonGoesBack ? tr("Message") : tr("Clear All"));
        ui->pushButton_Edit->setText(isBrowsing ? tr("Edit") : tr("Done"));
        if (m_items.selectedCount() > 0)
            ui->pushButton_3->setText(deleteText);
    }
}

int frame_page2::quickHeight(int item, int width, bool* exact)
{
    return messageHeight(item, width, views::Measure::Quick, exact);
}

int frame_page2::exactHeight(int item, int width)
{
    bool exact = true;
    return messageHeight(item, width, views::Measure::Exact, &exact);
}

int frame_page2::messageHeight(int item, int width, views::Measure how, bool* exact)
{
    const ChatItem& it = m_items.at(item);
    *exact = true;
    if (it.gone)
        return 0;
    if (it.record < 0)
        return kEventHeight;
    const int cap = views::bubbleCap(width, m_bubblesEditing);
    int label = m_items.isPlain(item) ? views::oneLineBubbleHeight(m_items.record(item).text, m_look, cap) : 0;
    if (label == 0) {
        const views::BubbleShape shape = views::measureBubble(m_items.contentOf(item), m_look, cap, how);
        *exact = shape.exact;
        label = shape.height;
    }
    const int column = label + (item == m_copyItem ? m_copyRowHeight : 0);
    return kDateHeight + std::max(m_bubblesEditing ? kMarkSize : 0, column) + attachmentHeight(item);
}

int frame_page2::attach(int item, int width)
{
    if (m_items.at(item).gone)
        return 0;
    auto it = m_live.find(item);
    const bool fresh = it == m_live.end();
    if (fresh) {
        Live live;
        if (m_items.isMessage(item)) {
            live.bubble = takeBubble(item);
            live.date = takeDateLabel();
            live.bubble->setLook(&m_look);
            live.bubble->setRowId(m_items.record(item).rowId);
            live.date->setText(QString::fromUtf8(m_items.record(item).timeText()).trimmed());
            live.bubble->setDateLabel(live.date);
            m_itemOfBubble.insert(live.bubble, item);
        } else {
            live.event = takeEventLabel();
        }
        it = m_live.insert(item, live);
    }
    const Live& live = *it;
    if (live.event) {
        const QString text = m_items.eventText(item);
        live.event->setText(live.event->fontMetrics().elidedText(text, Qt::ElideMiddle, std::max(40, width - 24)));
        live.event->setToolTip(live.event->text() == text ? QString() : text);
        return kEventHeight;
    }
    // The bubble shows the message's state as the page keeps it; the state
    // goes first, so that the text is laid out once, for the right width.
    BubbleFrame* b = live.bubble;
    showMark(b, m_markedRow != 0 && m_items.record(item).rowId == m_markedRow);
    if (b->isEditMode() != m_bubblesEditing || b->isSelected())
        b->setEditMode(m_bubblesEditing);
    if (m_items.at(item).selected)
        b->toggleSelected();
    b->setCopyButtonVisible(item == m_copyItem);
    if (fresh)
        b->setContent(m_items.messageText(item), m_items.contentOf(item));
    int stripHeight = 0;
    if (fresh && store) {
        const QVector<AttachmentRecord> attachments = store->attachmentsOf(m_items.record(item).rowId);
        if (!attachments.isEmpty()) {
            Live& stored = m_live[item];
            stored.strip = takeStrip();
            stored.strip->setAttachments(attachments, !m_items.record(item).isIncoming, m_thumbnails);
        }
    }
    if (const views::AttachmentStrip* strip = m_live.value(item).strip)
        stripHeight = views::AttachmentStrip::heightFor(strip->attachments());
    const int h = kDateHeight + b->prepare(width) + stripHeight;
    if (item == m_copyItem)
        m_copyRowHeight = b->copyRowHeight();
    return h;
}

void frame_page2::place(int item, const QRect& rect)
{
    const Live live = m_live.value(item);
    if (live.event) {
        views::placeWidget(live.event, rect);
        return;
    }
    views::placeWidget(live.date, QRect(rect.x(), rect.y(), rect.width(), kDateHeight));
    const int stripHeight = live.strip ? views::AttachmentStrip::heightFor(live.strip->attachments()) : 0;
    views::placeWidget(
        live.bubble, QRect(rect.x(), rect.y() + kDateHeight, rect.width(), rect.height() - kDateHeight - stripHeight));
    if (live.strip)
        views::placeWidget(live.strip, QRect(rect.x(), rect.bottom() + 1 - stripHeight, rect.width(), stripHeight));
}

void frame_page2::detach(int item)
{
    const Live live = m_live.take(item);
    if (live.event) {
        m_spareEvents.append(live.event);
        return;
    }
    m_itemOfBubble.remove(live.bubble);
    if (live.strip)
        m_spareStrips.append(live.strip);
    if (auto* left = qobject_cast<Frame*>(live.bubble))
        m_spareLeft.append(left);
    else if (auto* right = qobject_cast<Frame1*>(live.bubble))
        m_spareRight.append(right);
    live.bubble->setDateLabel(nullptr);
    m_spareDates.append(live.date);
}

void frame_page2::settle()
{
    for (QWidget* w : std::as_const(m_spareLeft))
        if (!w->isHidden())
            w->hide();
    for (QWidget* w : std::as_const(m_spareRight))
        if (!w->isHidden())
            w->hide();
    for (QWidget* w : std::as_const(m_spareDates))
        if (!w->isHidden())
            w->hide();
    for (QWidget* w : std::as_const(m_spareEvents))
        if (!w->isHidden())
            w->hide();
    for (QWidget* w : std::as_const(m_spareStrips))
        if (!w->isHidden())
            w->hide();
}

BubbleFrame* frame_page2::takeBubble(int item)
{
    const MessageRecord& r = m_items.record(item);
    if (r.isIncoming) {
        if (!m_spareLeft.isEmpty())
            return m_spareLeft.takeLast();
        return ui->scrollArea->addLeftMessage(QString(), r.rowId);
    }
    if (!m_spareRight.isEmpty())
        return m_spareRight.takeLast();
    return ui->scrollArea->addRightMessage(QString(), r.rowId);
}

QLabel* frame_page2::takeDateLabel()
{
    if (!m_spareDates.isEmpty())
        return m_spareDates.takeLast();
    QLabel* label = ui->scrollArea->addDateLabel(QString());
    m_dates.append(label);
    return label;
}

QLabel* frame_page2::takeEventLabel()
{
    if (!m_spareEvents.isEmpty())
        return m_spareEvents.takeLast();
    auto* label = new QLabel(ui->scrollArea->canvas());
    label->hide();
    label->setObjectName(QStringLiteral("eventLine"));
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);
    m_events.append(label);
    return label;
}

void frame_page2::discardBubbles()
{
    ++m_generation;
    // The column gives every widget back before they go.
    m_items.clear();
    m_copyItem = -1;
    m_column->reset(0);
    qDeleteAll(leftBubbles);
    qDeleteAll(rightBubbles);
    qDeleteAll(m_dates);
    qDeleteAll(m_events);
    qDeleteAll(m_strips);
    m_strips.clear();
    m_spareStrips.clear();
    leftBubbles.clear();
    rightBubbles.clear();
    m_dates.clear();
    m_events.clear();
    m_spareLeft.clear();
    m_spareRight.clear();
    m_spareDates.clear();
    m_spareEvents.clear();
    m_itemOfBubble.clear();
    m_live.clear();
}

void frame_page2::hideCopyButtons()
{
    for (Frame* b : std::as_const(leftBubbles))
        b->setCopyButtonVisible(false);
    for (Frame1* b : std::as_const(rightBubbles))
        b->setCopyButtonVisible(false);
    if (m_copyItem >= 0) {
        const int was = m_copyItem;
        m_copyItem = -1;
        m_column->remeasure(was);
    }
}

void frame_page2::updateDeleteButton()
{
    const int n = m_items.selectedCount();
    if (n > 0) {
        ui->pushButton_3->setEnabled(true);
        ui->pushButton_3->setText(QStringLiteral("Delete[") + QString::number(n) + QStringLiteral("]"));
    } else {
        ui->pushButton_3->setEnabled(false);
        ui->pushButton_3->setText(tr("Delete"));
    }
}

void frame_page2::setLookColor(QColor& slot, const QColor& c)
{
    if (slot == c)
        return;
    slot = c;
    lookChanged(false);
}

void frame_page2::setBubbleRadius(int radius)
{
    if (radius == m_look.radius || radius < 0)
        return;
    m_look.radius = radius;
    lookChanged(false);
}

void frame_page2::setBubbleFontSize(int pixels)
{
    if (pixels <= 0 || pixels == bubbleFontSize())
        return;
    QFont f = m_look.text.font();
    f.setPixelSize(pixels);
    m_look.setTextFont(f);
    lookChanged(true);
}

void frame_page2::setEmojiFontFamily(const QString& family)
{
    if (family == m_look.emojiFamily())
        return;
    m_look.setEmojiFamily(family);
    lookChanged(true);
}

void frame_page2::lookChanged(bool geometry)
{
    for (BubbleFrame* b : std::as_const(leftBubbles))
        b->setLook(&m_look);
    for (BubbleFrame* b : std::as_const(rightBubbles))
        b->setLook(&m_look);
    if (geometry && m_column && m_items.count() > 0)
        m_column->remeasureAll();
    ui->scrollArea->canvas()->update();
}
