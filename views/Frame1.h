#pragma once

// The bubble of a sent message, laid out against the right edge; the twin of
// Frame (Frame.h). Its select button reports on click rather than on release.

#include "BubbleFrame.h"

#include <memory>

namespace Ui {
class Frame1;
}

class Frame1 : public BubbleFrame
{
    Q_OBJECT
public:
    explicit Frame1(QWidget* parent = nullptr);
    ~Frame1() override;

signals:
    void sendIsclick(Frame1* bubble, QLabel* label);

private slots:
    void on_toolButton_clicked();
    void on_pushButton_copyOne_clicked();

protected:
    void reportClick() override;
    void retranslate() override;

private:
    std::unique_ptr<Ui::Frame1> ui;
};
