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

    // index is the position in bubbleLayout, or in the open batch while
    // there is one; 0 is the top, -1 the end.
    void addLeftMessage(const QString& text, qint64 rowId, int index = 0);
    void addRightMessage(const QString& text, qint64 rowId, int index = 0);
    QLabel* addDateLabel(const QString& text, int index = 0);

    // Widgets added between these two go into one block placed below
    // everything else, which lays out and shows as one piece.
    void beginBatch();
    void endBatch();
    // Number of widgets in the open batch (or in bubbleLayout without one).
    int targetCount() const;
    // Deletes the blocks of earlier batches, with whatever is still in them.
    void removeBatches();

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
    void insert(QWidget* w, int index);

    std::unique_ptr<Ui::smsChartCtrl> ui;
    QVBoxLayout* m_target = nullptr;
    QWidget* m_openBatch = nullptr;
    QList<QWidget*> m_batches;
};
