#include "BubbleFrame.h"

#include "bubbletext.h"
#include "repolish.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QToolButton>

BubbleFrame::BubbleFrame(QWidget* parent) : QFrame(parent) {}

void BubbleFrame::initParts(QLabel* text, QToolButton* selectButton, QToolButton* copyButton)
{
    m_textLabel = text;
    m_selectButton = selectButton;
    m_copyButton = copyButton;
    setObjectName(QStringLiteral("itemFrame2222"));
    m_selectButton->setObjectName(QStringLiteral("itemFrame2222"));
    m_selectButton->hide();
    m_copyButton->hide();
    m_textLabel->installEventFilter(this);
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    m_textLabel->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    // Bubbles are never edited in place; plain text keeps markup in a
    // message from being rendered.
    m_textLabel->setTextFormat(Qt::PlainText);
}

void BubbleFrame::setMessageText(const QString& text)
{
    m_text = text;
    m_textLabel->setText(views::breakableText(text));
    m_textWidth = -1;
    if (width() > 0)
        views::fitBubbleText(m_textLabel, width(), m_textWidth);
}

void BubbleFrame::toggleSelected()
{
    selected = !selected;
    setSelectLook(selected);
}

void BubbleFrame::setEditMode(bool on)
{
    selected = false;
    setSelectLook(false);
    m_selectButton->setVisible(on);
}

void BubbleFrame::setCopyButtonVisible(bool visible)
{
    m_copyButton->setVisible(visible);
}

void BubbleFrame::setSelectLook(bool selectedLook)
{
    const QString name = selectedLook ? QStringLiteral("itemFrame1111") : QStringLiteral("itemFrame2222");
    if (m_selectButton->objectName() != name) {
        m_selectButton->setObjectName(name);
        views::repolish(m_selectButton);
    }
}

bool BubbleFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_textLabel && event->type() == QEvent::MouseButtonPress)
        reportClick();
    return QFrame::eventFilter(watched, event);
}

bool BubbleFrame::event(QEvent* e)
{
    if (e->type() == QEvent::MouseButtonRelease) {
        // The press on the text was reported by the filter; should the text
        // pass its release on, one click must still be one report, or a
        // second toggle would undo the selection the first one made.
        const QPoint at = static_cast<QMouseEvent*>(e)->position().toPoint();
        if (!m_textLabel->geometry().contains(at))
            reportClick();
    }
    return QFrame::event(e);
}

void BubbleFrame::mousePressEvent(QMouseEvent* e)
{
    // A press on a bubble (or on its text, which passes presses on) ends
    // here. Passed further, it would reach the chat page, whose press
    // handler hides the Copy button that this very press has just shown.
    e->accept();
}

void BubbleFrame::resizeEvent(QResizeEvent* e)
{
    QFrame::resizeEvent(e);
    views::fitBubbleText(m_textLabel, width(), m_textWidth);
}

void BubbleFrame::changeEvent(QEvent* e)
{
    QFrame::changeEvent(e);
    if (e->type() == QEvent::StyleChange || e->type() == QEvent::FontChange)
        m_textWidth = -1;
    if (e->type() == QEvent::LanguageChange) {
        // The form's translation would put the designer's sample text over the message.
        retranslate();
        m_textLabel->setText(views::breakableText(m_text));
    }
}
