#pragma once

// A message bubble of the chat page. Frame shows an incoming message on the
// left, Frame1 (Frame1.h) a sent one on the right. A bubble only reports
// clicks upward; the scroll control and the chat page decide what they mean.

#include <QFrame>

#include <memory>

class QLabel;
class QMouseEvent;
class QResizeEvent;

namespace Ui {
class Frame;
}

class Frame : public QFrame
{
    Q_OBJECT
public:
    explicit Frame(QWidget* parent = nullptr);
    ~Frame() override;

    void setMessageText(const QString& text);
    QString messageText() const;
    void setRowId(int id) { m_rowId = id; }
    int rowId() const { return m_rowId; }
    // The label above the bubble; owned by the scroll content, not by the bubble.
    void setDateLabel(QLabel* label) { m_dateLabel = label; }
    QLabel* dateLabel() const { return m_dateLabel; }

    bool isSelected() const { return selected; }
    void toggleSelected();
    void setEditMode(bool on);
    void setCopyButtonVisible(bool visible);

signals:
    void sendIsclick(Frame* bubble, QLabel* label);
    void sendCopyOneMessage(QFrame* bubble);

private slots:
    void on_toolButton_released();
    void on_pushButton_copyOne_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void setSelectLook(bool selectedLook);

    std::unique_ptr<Ui::Frame> ui;
    bool selected = false;
    int m_rowId = 0;
    QLabel* m_dateLabel = nullptr;
    QString m_text;
    int m_textWidth = -1; // unwrapped width of the text, once measured
};
