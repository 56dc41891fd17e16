#pragma once

// The search field of the main window: a line edit that shows, inside at
// its right end, how far a find has got ("3 of 12"), and turns Enter,
// Shift+Enter and Escape into requests.

#include <QLineEdit>

class SearchField : public QLineEdit
{
    Q_OBJECT
    // The colour of the count, set by the skin.
    Q_PROPERTY(QColor countColor READ countColor WRITE setCountColor)
public:
    explicit SearchField(QWidget* parent = nullptr);

    // The count shown at the right end; empty shows none.
    void setCountText(const QString& text);
    QString countText() const { return m_count; }

    QColor countColor() const { return m_countColor; }
    void setCountColor(const QColor& c);

signals:
    void nextRequested();
    void previousRequested();
    void escapePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateMargins();
    QRect countRect() const;

    QString m_count;
    QColor m_countColor{0x8a, 0x8f, 0x98};
};
