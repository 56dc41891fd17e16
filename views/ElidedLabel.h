#pragma once

// A one-line label that never asks for the width of its text: what does
// not fit is elided, and the whole text shows as its tool tip. The chat
// page's header is one, so that a long number or group name cannot widen
// the page and squeeze the window's navigation list. text() stays whole.

#include <QLabel>

class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    // Whether the text is cut short at the label's present width.
    bool isElided() const;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* event) override;
};
