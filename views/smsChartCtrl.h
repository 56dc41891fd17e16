#pragma once

// The scroll control of the chat page: makes the bubbles and their date
// labels and turns the bubbles' click signals into the page's.
//
// Its widgets live on one canvas that covers the viewport; the chat page
// places on it only the bubbles near the visible part and reuses them as
// the view scrolls (see ItemColumn.h). The scroll area's own content
// widget is not used.

#include <QScrollArea>

#include <memory>

class Frame;
class Frame1;
class QFrame;
class QLabel;

namespace Ui {
class smsChartCtrl;
}

class smsChartCtrl : public QScrollArea
{
    Q_OBJECT
public:
    explicit smsChartCtrl(QWidget* parent = nullptr);
    ~smsChartCtrl() override;

    // Each makes a new widget on the canvas, hidden until the page places it.
    Frame* addLeftMessage(const QString& text, qint64 rowId);
    Frame1* addRightMessage(const QString& text, qint64 rowId);
    QLabel* addDateLabel(const QString& text);

    QFrame* canvas() const { return m_canvas; }

signals:
    void sendRightPointer(Frame1* f);
    void sendLeftPointer(Frame* f);
    void sendTongJi(QFrame* f, int side, QLabel* label);
    void SendOneMesage(QFrame* f, int side);

public slots:
    void allDeleteMes2(Frame1* f, QLabel* label);
    void allDeleteMEs(Frame* f, QLabel* label);
    void sendWhichMessageCopy(QFrame* f);
    void sendWhichMessageCopy2(QFrame* f);

protected:
    void changeEvent(QEvent* e) override;

private:
    std::unique_ptr<Ui::smsChartCtrl> ui;
    QFrame* m_canvas = nullptr;
};
