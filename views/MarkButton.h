#pragma once

// The small round buttons whose look is their object name: the select mark
// of a bubble ("itemFrame2222" empty, "itemFrame1111" selected) and the
// minus of a conversation row ("toolButtonV" upright, "toolButtonH" turned
// when "Delete" is offered). They draw themselves from that name, so a
// rename only needs a repaint, and no image is decoded per button.

#include <QColor>
#include <QToolButton>

class MarkButton : public QToolButton
{
    Q_OBJECT
public:
    explicit MarkButton(QWidget* parent = nullptr);

    // The fill of a selected mark or of the minus, and the ring of an empty mark.
    void setColors(const QColor& fill, const QColor& ring);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_fill{0x1a, 0x73, 0xe8};
    QColor m_ring{0xb0, 0xb6, 0xbf};
};
