#pragma once

// The bubble of an incoming message, laid out against the left edge. What a
// bubble does is in BubbleFrame; Frame1 (Frame1.h) is its twin for sent
// messages.

#include "BubbleFrame.h"

#include <memory>

namespace Ui {
class Frame;
}

class Frame : public BubbleFrame
{
    Q_OBJECT
public:
    explicit Frame(QWidget* parent = nullptr);
    ~Frame() override;

signals:
    void sendIsclick(Frame* bubble, QLabel* label);

private slots:
    void on_toolButton_released();
    void on_pushButton_copyOne_clicked();

protected:
    void reportClick() override;
    void retranslate() override;

private:
    std::unique_ptr<Ui::Frame> ui;
};
