#pragma once

// The text label of a message bubble ("specialButton", "specialButton1"):
// it draws the bubble itself (the rounded shape, a group sender's name, the
// text, "Edited", the reaction badge) from the page's look instead of from
// the style sheet, and lays its text out once per width. It holds no text
// document: a label that reacts to links would make one per bubble. The
// label's text() stays the message text.

#include "BubbleLook.h"

#include <QLabel>
#include <QTextLayout>

class BubbleLabel : public QLabel
{
    Q_OBJECT
public:
    explicit BubbleLabel(QWidget* parent = nullptr);

    void setOutgoing(bool outgoing);
    void setLook(const views::BubbleLook* look);
    const views::BubbleLook& look() const { return *m_look; }
    void setContent(const views::BubbleContent& content);
    const views::BubbleContent& content() const { return m_content; }
    // Lays the content out for a label at most cap pixels wide and takes
    // the size that needs.
    QSize fitTo(int cap);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return false; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawText(QPainter& p, int x, int y, const QRect& clip);

    const views::BubbleLook* m_look = &views::BubbleLook::standard();
    views::BubbleContent m_content;
    views::BubbleShape m_shape;
    QTextLayout m_layout;
    QVector<int> m_lines; // line starts of a huge text
    int m_cap = -1;
    bool m_outgoing = false;
};
