#include "smsChartCtrl.h"

#include "Frame.h"
#include "Frame1.h"

#include "ui_smschartctrl.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

smsChartCtrl::smsChartCtrl(QWidget* parent) : QScrollArea(parent), ui(std::make_unique<Ui::smsChartCtrl>())
{
    ui->setupUi(this);
    auto* content = new QFrame(this);
    content->setObjectName(QStringLiteral("chatContent"));
    content->setFrameShape(QFrame::NoFrame);
    content->setContentsMargins(0, 0, 0, 0);
    bubbleLayout = new QVBoxLayout(content);
    bubbleLayout->setContentsMargins(0, 0, 0, 0);
    // The stretch at the end gathers the bubbles at the top.
    bubbleLayout->addStretch(0);
    m_target = bubbleLayout;
    // Replaces (and deletes) the designer's content widget.
    setWidget(content);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // With the bar coming and going, the scroll area measures the bubbles at
    // two widths in turn, and every cached bubble height is lost each time.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

smsChartCtrl::~smsChartCtrl() = default;

void smsChartCtrl::addLeftMessage(const QString& text, qint64 rowId, int index)
{
    auto* bubble = new Frame(widget());
    bubble->setMessageText(text);
    bubble->setRowId(rowId);
    insert(bubble, index);
    connect(bubble, &Frame::sendCopyOneMessage, this, &smsChartCtrl::sendWhichMessageCopy);
    connect(bubble, &Frame::sendIsclick, this, &smsChartCtrl::allDeleteMEs);
    emit sendLeftPointer(bubble);
}

void smsChartCtrl::addRightMessage(const QString& text, qint64 rowId, int index)
{
    auto* bubble = new Frame1(widget());
    bubble->setMessageText(text);
    bubble->setRowId(rowId);
    insert(bubble, index);
    connect(bubble, &Frame1::sendCopyOneMessage, this, &smsChartCtrl::sendWhichMessageCopy2);
    connect(bubble, &Frame1::sendIsclick, this, &smsChartCtrl::allDeleteMes2);
    emit sendRightPointer(bubble);
}

QLabel* smsChartCtrl::addDateLabel(const QString& text, int index)
{
    // The stored time text ends in a newline; one line fits the label.
    auto* label = new QLabel(text.trimmed(), widget());
    label->setObjectName(QStringLiteral("dateLabel"));
    label->setFixedHeight(15);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    label->setTextFormat(Qt::PlainText);
    insert(label, index);
    return label;
}

void smsChartCtrl::insert(QWidget* w, int index)
{
    m_target->insertWidget(index, w);
    // In a block that is still hidden this costs nothing; the widget then
    // appears with the block.
    if (m_openBatch)
        w->show();
}

int smsChartCtrl::targetCount() const
{
    return m_target->count();
}

void smsChartCtrl::beginBatch()
{
    if (m_openBatch)
        return;
    m_openBatch = new QWidget(widget());
    m_openBatch->setObjectName(QStringLiteral("bubbleBatch"));
    m_openBatch->hide();
    m_target = new QVBoxLayout(m_openBatch);
    m_target->setContentsMargins(0, 0, 0, 0);
    m_target->setSpacing(bubbleLayout->spacing());
}

void smsChartCtrl::endBatch()
{
    if (!m_openBatch)
        return;
    // Before the stretch that ends the layout.
    bubbleLayout->insertWidget(bubbleLayout->count() - 1, m_openBatch);
    m_openBatch->show();
    m_batches.append(m_openBatch);
    m_openBatch = nullptr;
    m_target = bubbleLayout;
}

void smsChartCtrl::removeBatches()
{
    endBatch();
    qDeleteAll(m_batches);
    m_batches.clear();
}

void smsChartCtrl::allDeleteMes2(Frame1* f, QLabel* label)
{
    f->toggleSelected();
    emit sendTongJi(f, 2, label);
}

void smsChartCtrl::allDeleteMEs(Frame* f, QLabel* label)
{
    f->toggleSelected();
    emit sendTongJi(f, 1, label);
}

void smsChartCtrl::sendWhichMessageCopy(QFrame* f)
{
    emit SendOneMesage(f, 1);
}

void smsChartCtrl::sendWhichMessageCopy2(QFrame* f)
{
    emit SendOneMesage(f, 2);
}

void smsChartCtrl::changeEvent(QEvent* e)
{
    QScrollArea::changeEvent(e);
    if (e->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
