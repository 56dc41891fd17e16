#pragma once

// The bubble of a sent message, laid out against the right edge; the twin of
// Frame (Frame.h), which tells what a bubble does. Its select button reports
// on click rather than on release.

#include <QFrame>

#include <memory>

class QLabel;
class QMouseEvent;
class QResizeEvent;

namespace Ui {
class Frame1;
}

class Frame1 : public QFrame
{
    Q_OBJECT
public:
    explicit Frame1(QWidget* parent = nullptr);
    ~Frame1() override;

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
    void sendIsclick(Frame1* bubble, QLabel* label);
    void sendCopyOneMessage(QFrame* bubble);

private slots:
    void on_toolButton_clicked();
    void on_pushButton_copyOne_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void setSelectLook(bool selectedLook);

    std::unique_ptr<Ui::Frame1> ui;
    bool selected = false;
    int m_rowId = 0;
    QLabel* m_dateLabel = nullptr;
    QString m_text;
    int m_textWidth = -1; // unwrapped width of the text, once measured
};
