#include "SearchField.h"

#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>

#include <algorithm>

namespace {

// Room between the typed text, the count and the clear button.
constexpr int kCountGap = 8;

} // namespace

SearchField::SearchField(QWidget* parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("searchField"));
    setPlaceholderText(tr("Search messages"));
    setClearButtonEnabled(true);
    // A query longer than this is no search any more.
    setMaxLength(10000);
}

void SearchField::setCountText(const QString& text)
{
    if (text == m_count)
        return;
    m_count = text;
    updateMargins();
    update();
}

void SearchField::setCountColor(const QColor& c)
{
    m_countColor = c;
    update();
}

void SearchField::updateMargins()
{
    const int w = m_count.isEmpty() ? 0 : fontMetrics().horizontalAdvance(m_count) + kCountGap;
    QMargins m = textMargins();
    m.setRight(w);
    setTextMargins(m);
}

QRect SearchField::countRect() const
{
    // Left of the clear button when it shows, else at the end of the room
    // for text.
    int right = contentsRect().right() - kCountGap / 2;
    const auto buttons = findChildren<QToolButton*>();
    for (const QToolButton* b : buttons) {
        if (b->isVisible())
            right = std::min(right, b->geometry().left() - 2);
    }
    const int w = fontMetrics().horizontalAdvance(m_count);
    return QRect(right - w, 0, w, height());
}

void SearchField::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    if (m_count.isEmpty())
        return;
    QPainter p(this);
    p.setPen(m_countColor);
    p.drawText(countRect(), Qt::AlignRight | Qt::AlignVCenter, m_count);
}

void SearchField::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        updateMargins();
    else if (event->type() == QEvent::LanguageChange)
        setPlaceholderText(tr("Search messages"));
}

void SearchField::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() & Qt::ShiftModifier)
            emit previousRequested();
        else
            emit nextRequested();
        event->accept();
        return;
    case Qt::Key_Escape:
        emit escapePressed();
        event->accept();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}
