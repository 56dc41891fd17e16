#include "frame_page2.h"

#include "Frame.h"
#include "Frame1.h"
#include "MessageStore.h"
#include "smsChartCtrl.h"
#include "xdialogs.h"

#include "ui_frame_page2.h"

#include <QEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Enough bubbles to cover a tall window; older ones follow while scrolling.
constexpr int kFirstBubbles = 30;
constexpr int kBatchBubbles = 40;

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

    smsChartCtrl* ctrl = ui->scrollArea;
    connect(ctrl, &smsChartCtrl::sendLeftPointer, this, &frame_page2::addLeft);
    connect(ctrl, &smsChartCtrl::sendRightPointer, this, &frame_page2::addRight);
    connect(ctrl, &smsChartCtrl::sendTongJi, this, &frame_page2::Tongji);
    connect(ctrl, &smsChartCtrl::SendOneMesage, this, &frame_page2::copyOneMeeage);

    QScrollBar* bar = ctrl->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &frame_page2::scheduleGrowth);
    connect(bar, &QScrollBar::rangeChanged, this, &frame_page2::scheduleGrowth);
}

frame_page2::~frame_page2() = default;

void frame_page2::loadConversation(MessageStore* newStore)
{
    ui->pushButton_3->hide();
    messageButtonGoesBack = true;
    isBrowsing = true;
    ui->toolButtonMessageAndClear->setText(tr("Message"));
    ui->pushButton_Edit->setText(tr("Edit"));
    discardBubbles();

    store = newStore;
    m_records = store ? store->conversation : QVector<MessageRecord>();
    if (!m_records.isEmpty())
        ui->iphonenumber->setText(QString::fromUtf8(m_records.first().address));
    m_next = int(m_records.size()) - 1;
    makeBubbles(kFirstBubbles);
    ui->pushButton_Edit->setVisible(!m_records.isEmpty());
    ui->scrollArea->verticalScrollBar()->setValue(0);
    scheduleGrowth();
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
    hideCopyButtons();
    if (isBrowsing && focusWidget() == label) {
        if (side == 1)
            static_cast<Frame*>(f)->setCopyButtonVisible(true);
        else
            static_cast<Frame1*>(f)->setCopyButtonVisible(true);
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

    if (yesNoDialog(this, QStringLiteral("Warning"), QStringLiteral("Are you sure to Delete these messages?")) != 0)
        return;
    if (store) {
        QVector<qint64> rowIds;
        rowIds.reserve(store->conversation.size());
        for (const MessageRecord& r : std::as_const(store->conversation))
            rowIds.append(r.rowId);
        store->deleteMessages(rowIds);
    }
    discardBubbles();
    ui->pushButton_Edit->hide();
    ui->pushButton_3->hide();
    ui->toolButtonMessageAndClear->setText(tr("Message"));
    messageButtonGoesBack = true;
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
    for (Frame* b : std::as_const(leftBubbles))
        b->setEditMode(!isBrowsing);
    for (Frame1* b : std::as_const(rightBubbles))
        b->setEditMode(!isBrowsing);
}

void frame_page2::on_pushButton_3_clicked()
{
    // All selected messages go in one transaction, in the order the bubbles
    // are walked below.
    QVector<qint64> rowIds;
    for (int i = int(leftBubbles.size()) - 1; i >= 0; --i) {
        if (leftBubbles.at(i)->isSelected())
            rowIds.append(leftBubbles.at(i)->rowId());
    }
    for (int i = int(rightBubbles.size()) - 1; i >= 0; --i) {
        if (rightBubbles.at(i)->isSelected())
            rowIds.append(rightBubbles.at(i)->rowId());
    }
    if (store)
        store->deleteMessages(rowIds);

    for (int i = int(leftBubbles.size()) - 1; i >= 0; --i) {
        Frame* b = leftBubbles[i];
        if (!b->isSelected())
            continue;
        delete b->dateLabel();
        // Deleted rather than closed, so that bubbles do not pile up
        // hidden in the page while it lives.
        delete b;
        leftBubbles.remove(i);
    }
    for (int i = int(rightBubbles.size()) - 1; i >= 0; --i) {
        Frame1* b = rightBubbles[i];
        if (!b->isSelected())
            continue;
        delete b->dateLabel();
        delete b;
        rightBubbles.remove(i);
    }
    if (leftBubbles.isEmpty() && rightBubbles.isEmpty()) {
        if (m_next < 0) {
            ui->pushButton_3->setEnabled(false);
            ui->pushButton_Edit->hide();
            ui->toolButtonMessageAndClear->setText(tr("Message"));
            messageButtonGoesBack = true;
        } else {
            // Older messages remain; bring them in at once rather than
            // waiting for a scroll that an empty view cannot make.
            makeBubbles(kFirstBubbles);
        }
    }
    ui->pushButton_3->setText(tr("Delete"));
    ui->pushButton_3->setEnabled(false);
    scheduleGrowth();
}

bool frame_page2::event(QEvent* e)
{
    if (e->type() == QEvent::MouseButtonPress)
        hideCopyButtons();
    return QFrame::event(e);
}

void frame_page2::showEvent(QShowEvent* e)
{
    QFrame::showEvent(e);
    scheduleGrowth();
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
        if (selectedCount() > 0)
            ui->pushButton_3->setText(deleteText);
    }
}

void frame_page2::discardBubbles()
{
    for (Frame* b : std::as_const(leftBubbles)) {
        delete b->dateLabel();
        delete b;
    }
    for (Frame1* b : std::as_const(rightBubbles)) {
        delete b->dateLabel();
        delete b;
    }
    leftBubbles.clear();
    rightBubbles.clear();
    ui->scrollArea->removeBatches();
    m_records.clear();
    m_next = -1;
}

void frame_page2::makeBubbles(int count)
{
    smsChartCtrl* ctrl = ui->scrollArea;
    if (count <= 0 || m_next < 0)
        return;
    // Bubbles are made newest first; each batch goes below the ones made
    // before it, each date label directly above its bubble.
    ctrl->beginBatch();
    for (; count > 0 && m_next >= 0; --count, --m_next) {
        const MessageRecord& r = m_records.at(m_next);
        QFrame* bubble = nullptr;
        if (r.isIncoming) {
            ctrl->addLeftMessage(QString::fromUtf8(r.text), r.rowId, -1);
            bubble = leftBubbles.last();
        } else {
            ctrl->addRightMessage(QString::fromUtf8(r.text), r.rowId, -1);
            bubble = rightBubbles.last();
        }
        QLabel* date = ctrl->addDateLabel(QString::fromUtf8(r.timeText()), ctrl->targetCount() - 1);
        if (r.isIncoming) {
            auto* b = static_cast<Frame*>(bubble);
            b->setDateLabel(date);
            if (!isBrowsing)
                b->setEditMode(true);
        } else {
            auto* b = static_cast<Frame1*>(bubble);
            b->setDateLabel(date);
            if (!isBrowsing)
                b->setEditMode(true);
        }
    }
    ctrl->endBatch();
}

void frame_page2::scheduleGrowth()
{
    // Layouts settle after the event that changed them; look once they have.
    if (m_growthPending || m_next < 0)
        return;
    m_growthPending = true;
    QTimer::singleShot(0, this, &frame_page2::growTowardView);
}

void frame_page2::growTowardView()
{
    m_growthPending = false;
    if (m_next < 0 || !ui->scrollArea->isVisible())
        return;
    const QScrollBar* bar = ui->scrollArea->verticalScrollBar();
    if (bar->maximum() - bar->value() < 2 * ui->scrollArea->viewport()->height()) {
        // Each batch as large as all before it: a jump to the end of a long
        // conversation then takes a few layout passes, not hundreds.
        const int made = int(m_records.size()) - 1 - m_next;
        makeBubbles(std::max(kBatchBubbles, made));
    }
}

void frame_page2::hideCopyButtons()
{
    for (Frame* b : std::as_const(leftBubbles))
        b->setCopyButtonVisible(false);
    for (Frame1* b : std::as_const(rightBubbles))
        b->setCopyButtonVisible(false);
}

int frame_page2::selectedCount() const
{
    int n = 0;
    for (const Frame* b : leftBubbles)
        n += b->isSelected() ? 1 : 0;
    for (const Frame1* b : rightBubbles)
        n += b->isSelected() ? 1 : 0;
    return n;
}

void frame_page2::updateDeleteButton()
{
    const int n = selectedCount();
    if (n > 0) {
        ui->pushButton_3->setEnabled(true);
        ui->pushButton_3->setText(QStringLiteral("Delete[") + QString::number(n) + QStringLiteral("]"));
    } else {
        ui->pushButton_3->setEnabled(false);
        ui->pushButton_3->setText(tr("Delete"));
    }
}
