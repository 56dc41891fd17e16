#pragma once

// The scroll control of the chat page: makes the bubbles and their date
// labels and turns the bubbles' click signals into the page's.

#include <QScrollArea>

#include <memory>

class Frame;
class Frame1;
class QLabel;
class QVBoxLayout;

namespace Ui {
class smsChartCtrl;
}

class smsChartCtrl : public QScrollArea
{
    Q_OBJECT
public:
    explicit smsChartCtrl(QWidget* parent = nullptr);
    ~smsChartCtrl() override;

    // index is the position in bubbleLayout; 0, the top, unless given.
    void addLeftMessage(const QString& text, int rowId, int index = 0);
    void addRightMessage(const QString& text, int rowId, int index = 0);
    QLabel* addDateLabel(const QString& text, int index = 0);

    QVBoxLayout* bubbleLayout = nullptr;

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
};
