#include "smsChartCtrl.h"

#include "Frame.h"
#include "Frame1.h"

#include "ui_smschartctrl.h"

#include <QEvent>
#include <QLabel>

smsChartCtrl::smsChartCtrl(QWidget* parent) : QScrollArea(parent), ui(std::make_unique<Ui::smsChartCtrl>())
{
    ui->setupUi(this);
    // The designer's content widget goes; the canvas takes its place.
    delete takeWidget();
    m_canvas = new QFrame(viewport());
    m_canvas->setObjectName(QStringLiteral("chatContent"));
    m_canvas->setFrameShape(QFrame::NoFrame);
    m_canvas->setContentsMargins(0, 0, 0, 0);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A bar that comes and goes would change the width, and with it the
    // height of every bubble, each time a conversation grows past a screen.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

smsChartCtrl::~smsChartCtrl() = default;

Frame* smsChartCtrl::addLeftMessage(const QString& text, qint64 rowId)
{
    auto* bubble = new Frame(m_canvas);
    bubble->hide();
    bubble->setMessageText(text);
    bubble->setRowId(rowId);
    connect(bubble, &Frame::sendCopyOneMessage, this, &smsChartCtrl::sendWhichMessageCopy);
    connect(bubble, &Frame::sendIsclick, this, &smsChartCtrl::allDeleteMEs);
    emit sendLeftPointer(bubble);
    return bubble;
}

Frame1* smsChartCtrl::addRightMessage(const QString& text, qint64 rowId)
{
    auto* bubble = new Frame1(m_canvas);
    bubble->hide();
    bubble->setMessageText(text);
    bubble->setRowId(rowId);
    connect(bubble, &Frame1::sendCopyOneMessage, this, &smsChartCtrl::sendWhichMessageCopy2);
    connect(bubble, &Frame1::sendIsclick, this, &smsChartCtrl::allDeleteMes2);
    emit sendRightPointer(bubble);
    return bubble;
}

QLabel* smsChartCtrl::addDateLabel(const QString& text)
{
    // The stored time text ends in a newline; one line fits the label.
    auto* label = new QLabel(text.trimmed(), m_canvas);
    label->hide();
    label->setObjectName(QStringLiteral("dateLabel"));
    label->setFixedHeight(15);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    label->setTextFormat(Qt::PlainText);
    return label;
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
