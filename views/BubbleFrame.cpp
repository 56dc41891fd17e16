#include "BubbleFrame.h"

#include "BubbleLabel.h"
#include "MarkButton.h"

#include <QEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QToolButton>

#include <algorithm>

BubbleFrame::BubbleFrame(QWidget* parent) : QFrame(parent) {}

void BubbleFrame::initParts(BubbleLabel* text, MarkButton* selectButton, QToolButton* copyButton, bool outgoing)
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
    m_textLabel->setOutgoing(outgoing);
    // Plain text never holds links; a label that reacts to them fills a
    // text document of its own with the message. The label keeps the focus
    // it takes on a click (the chat page tells a click on the text by it),
    // which QLabel drops along with the interaction.
    const Qt::FocusPolicy focus = m_textLabel->focusPolicy();
    m_textLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    m_textLabel->setFocusPolicy(focus);
    setLook(nullptr);
}

void BubbleFrame::setMessageText(const QString& text)
{
    views::BubbleContent shown;
    shown.text = views::breakableText(text);
    setContent(text, shown);
}

void BubbleFrame::setContent(const QString& text, const views::BubbleContent& shown)
{
    m_text = text;
    m_shown = shown;
    m_textLabel->setContent(shown);
    if (width() > 0)
        prepare(width());
}

void BubbleFrame::setLook(const views::BubbleLook* look)
{
    m_textLabel->setLook(look);
    const views::BubbleLook& l = m_textLabel->look();
    m_selectButton->setColors(l.mark, l.markRing);
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
    m_editMode = on;
    m_selectButton->setVisible(on);
}

void BubbleFrame::setCopyButtonVisible(bool visible)
{
    m_copyShown = visible;
    m_copyButton->setVisible(visible);
}

int BubbleFrame::prepare(int rowWidth)
{
    const QSize label = m_textLabel->fitTo(views::bubbleCap(rowWidth, m_editMode));
    const int column = label.height() + (m_copyShown ? copyRowHeight() : 0);
    return std::max(m_editMode ? m_selectButton->minimumHeight() : 0, column);
}

int BubbleFrame::copyRowHeight() const
{
    return m_copyButton->sizeHint().height();
}

void BubbleFrame::setSelectLook(bool selectedLook)
{
    const QString name = selectedLook ? QStringLiteral("itemFrame1111") : QStringLiteral("itemFrame2222");
    if (m_selectButton->objectName() != name) {
        // The mark draws itself by its name.
        m_selectButton->setObjectName(name);
        m_selectButton->update();
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
    if (e->size().width() != e->oldSize().width())
        prepare(width());
}

void BubbleFrame::changeEvent(QEvent* e)
{
    QFrame::changeEvent(e);
    if (e->type() == QEvent::LanguageChange) {
        // The form's translation would put the designer's sample text over the message.
        retranslate();
        m_textLabel->setContent(m_shown);
        if (width() > 0)
            prepare(width());
    }
}
