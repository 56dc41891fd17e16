#pragma once

// What the two message bubbles (Frame, incoming on the left; Frame1, sent on
// the right) have in common: the message text, the row id, the date label,
// the selection and its look, the Copy button, and how clicks are reported.
// A bubble only reports clicks upward; the scroll control and the chat page
// decide what they mean. Each bubble class reports a click through its own
// typed signal, which is why reportClick() is left to them.

#include <QFrame>

class QLabel;
class QMouseEvent;
class QResizeEvent;
class QToolButton;

class BubbleFrame : public QFrame
{
    Q_OBJECT
public:
    void setMessageText(const QString& text);
    QString messageText() const { return m_text; }
    void setRowId(qint64 id) { m_rowId = id; }
    qint64 rowId() const { return m_rowId; }
    // The label above the bubble; owned by the scroll content, not by the bubble.
    void setDateLabel(QLabel* label) { m_dateLabel = label; }
    QLabel* dateLabel() const { return m_dateLabel; }

    bool isSelected() const { return selected; }
    void toggleSelected();
    void setEditMode(bool on);
    void setCopyButtonVisible(bool visible);

signals:
    void sendCopyOneMessage(QFrame* bubble);

protected:
    explicit BubbleFrame(QWidget* parent);

    // Called by the bubble class once its form is built.
    void initParts(QLabel* text, QToolButton* selectButton, QToolButton* copyButton);
    QLabel* textLabel() const { return m_textLabel; }

    virtual void reportClick() = 0;
    virtual void retranslate() = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void setSelectLook(bool selectedLook);

    QLabel* m_textLabel = nullptr;
    QToolButton* m_selectButton = nullptr;
    QToolButton* m_copyButton = nullptr;
    bool selected = false;
    qint64 m_rowId = 0;
    QLabel* m_dateLabel = nullptr;
    QString m_text;
    int m_textWidth = -1; // unwrapped width of the text, once measured
};
