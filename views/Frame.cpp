#include "Frame.h"

#include "bubbletext.h"
#include "repolish.h"

#include "ui_Frame.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QResizeEvent>

Frame::Frame(QWidget* parent) : QFrame(parent), ui(std::make_unique<Ui::Frame>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("itemFrame2222"));
    ui->toolButton->setObjectName(QStringLiteral("itemFrame2222"));
    // Spare width goes to the spacer column: a short message keeps a short
    // bubble instead of sharing the row with the spacer.
    ui->gridLayout->setColumnStretch(2, 1);
    // The spacers beside the Copy button would keep its row 20 pixels tall
    // and 80 wide while the button is hidden: a gap between a bubble and its
    // date, and a short message in a bubble wider than its text.
    ui->horizontalSpacer->changeSize(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    ui->horizontalSpacer_2->changeSize(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    ui->toolButton->hide();
    ui->pushButton_copyOne->hide();
    ui->specialButton->installEventFilter(this);
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    ui->specialButton->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    // Bubbles are never edited in place; plain text keeps markup in a
    // message from being rendered.
    ui->specialButton->setTextFormat(Qt::PlainText);
}

Frame::~Frame() = default;

void Frame::setMessageText(const QString& text)
{
    m_text = text;
    ui->specialButton->setText(views::breakableText(text));
    m_textWidth = -1;
    if (width() > 0)
        views::fitBubbleText(ui->specialButton, width(), m_textWidth);
}

QString Frame::messageText() const
{
    return m_text;
}

void Frame::toggleSelected()
{
    selected = !selected;
    setSelectLook(selected);
}

void Frame::setEditMode(bool on)
{
    selected = false;
    setSelectLook(false);
    ui->toolButton->setVisible(on);
}

void Frame::setCopyButtonVisible(bool visible)
{
    ui->pushButton_copyOne->setVisible(visible);
}

void Frame::setSelectLook(bool selectedLook)
{
    const QString name = selectedLook ? QStringLiteral("itemFrame1111") : QStringLiteral("itemFrame2222");
    if (ui->toolButton->objectName() != name) {
        ui->toolButton->setObjectName(name);
        views::repolish(ui->toolButton);
    }
}

void Frame::on_toolButton_released()
{
    emit sendIsclick(this, ui->specialButton);
}

void Frame::on_pushButton_copyOne_clicked()
{
    emit sendCopyOneMessage(this);
}

bool Frame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->specialButton && event->type() == QEvent::MouseButtonPress)
        emit sendIsclick(this, ui->specialButton);
    return QFrame::eventFilter(watched, event);
}

bool Frame::event(QEvent* e)
{
    if (e->type() == QEvent::MouseButtonRelease) {
        // The press on the text was reported by the filter; should the text
        // pass its release on, one click must still be one report, or a
        // second toggle would undo the selection the first one made.
        const QPoint at = static_cast<QMouseEvent*>(e)->position().toPoint();
        if (!ui->specialButton->geometry().contains(at))
            emit sendIsclick(this, ui->specialButton);
    }
    return QFrame::event(e);
}

void Frame::mousePressEvent(QMouseEvent* e)
{
    // A press on a bubble (or on its text, which passes presses on) ends
    // here. Passed further, it would reach the chat page, whose press
    // handler hides the Copy button that this very press has just shown.
    e->accept();
}

void Frame::resizeEvent(QResizeEvent* e)
{
    QFrame::resizeEvent(e);
    views::fitBubbleText(ui->specialButton, width(), m_textWidth);
}

void Frame::changeEvent(QEvent* e)
{
    QFrame::changeEvent(e);
    if (e->type() == QEvent::StyleChange || e->type() == QEvent::FontChange)
        m_textWidth = -1;
    if (e->type() == QEvent::LanguageChange) {
        // retranslateUi would put the designer's sample text over the message.
        ui->retranslateUi(this);
        ui->specialButton->setText(views::breakableText(m_text));
    }
}
