#pragma once

// A text label of a conversation row ("label", "label_2", "label_3"). It
// answers the layout's size questions without laying its text out again
// and again: a QLabel measures a wrapping text up to five times for its
// size hints whenever the text changes, and rows change their text each
// time they are reused while the list scrolls. A wrapping label takes the
// width its row gives it and is as tall as its height for that width; an
// unwrapped one is as large as its one line.

#include <QLabel>

class RowLabel : public QLabel
{
    Q_OBJECT
public:
    explicit RowLabel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // What a label of this font and text needs, without the label: its one
    // line, unwrapped, as QLabel measures it.
    static QSize lineSize(const QFont& font, const QString& text);

private:
    mutable QString m_measured;
    mutable QFont m_measuredFont;
    mutable QSize m_hint;
};
