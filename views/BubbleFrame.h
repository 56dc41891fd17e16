#pragma once

// What the two message bubbles (Frame, incoming on the left; Frame1, sent on
// the right) have in common: the message and what is shown with it, the
// row id, the date label, the selection and its look, the Copy button, and
// how clicks are reported. A bubble only reports clicks upward; the scroll
// control and the chat page decide what they mean. Each bubble class
// reports a click through its own typed signal, which is why reportClick()
// is left to them.
//
// The chat page reuses bubbles for whatever messages scroll into view, so a
// bubble holds no state of its own that the page does not set again.

#include "BubbleLook.h"

#include <QFrame>

class BubbleLabel;
class MarkButton;
class QLabel;
class QMouseEvent;
class QResizeEvent;
class QToolButton;

class BubbleFrame : public QFrame
{
    Q_OBJECT
public:
    void setMessageText(const QString& text);
    // The message and what is shown of it: shown.text is breakableText() of text.
    void setContent(const QString& text, const views::BubbleContent& shown);
    QString messageText() const { return m_text; }
    void setLook(const views::BubbleLook* look);

    void setRowId(qint64 id) { m_rowId = id; }
    qint64 rowId() const { return m_rowId; }
    // The label above the bubble; owned by the scroll content, not by the bubble.
    void setDateLabel(QLabel* label) { m_dateLabel = label; }
    QLabel* dateLabel() const { return m_dateLabel; }

    bool isSelected() const { return selected; }
    void toggleSelected();
    void setEditMode(bool on);
    bool isEditMode() const { return m_editMode; }
    void setCopyButtonVisible(bool visible);
    bool isCopyButtonShown() const { return m_copyShown; }

    // Lays the bubble out for a row of the given width and returns the
    // height it needs there.
    int prepare(int rowWidth);
    // Height of the row of the Copy button while it is shown.
    int copyRowHeight() const;

signals:
    void sendCopyOneMessage(QFrame* bubble);

protected:
    explicit BubbleFrame(QWidget* parent);

    // Called by the bubble class once its form is built.
    void initParts(BubbleLabel* text, MarkButton* selectButton, QToolButton* copyButton, bool outgoing);

    virtual void reportClick() = 0;
    virtual void retranslate() = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void setSelectLook(bool selectedLook);

    BubbleLabel* m_textLabel = nullptr;
    MarkButton* m_selectButton = nullptr;
    QToolButton* m_copyButton = nullptr;
    bool selected = false;
    bool m_editMode = false;
    bool m_copyShown = false;
    qint64 m_rowId = 0;
    QLabel* m_dateLabel = nullptr;
    QString m_text;
    views::BubbleContent m_shown;
};
