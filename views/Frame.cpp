#include "Frame.h"

#include "BubbleLabel.h"
#include "MarkButton.h"
#include "ui_Frame.h"

Frame::Frame(QWidget* parent) : BubbleFrame(parent), ui(std::make_unique<Ui::Frame>())
{
    ui->setupUi(this);
    initParts(ui->specialButton, ui->toolButton, ui->pushButton_copyOne, false);
    // Spare width goes to the spacer column: a short message keeps a short
    // bubble instead of sharing the row with the spacer.
    ui->gridLayout->setColumnStretch(2, 1);
    // The spacers beside the Copy button would keep its row 20 pixels tall
    // and 80 wide while the button is hidden: a gap between a bubble and its
    // date, and a short message in a bubble wider than its text.
    ui->horizontalSpacer->changeSize(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    ui->horizontalSpacer_2->changeSize(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
}

Frame::~Frame() = default;

void Frame::on_toolButton_released()
{
    reportClick();
}

void Frame::on_pushButton_copyOne_clicked()
{
    emit sendCopyOneMessage(this);
}

void Frame::reportClick()
{
    emit sendIsclick(this, ui->specialButton);
}

void Frame::retranslate()
{
    ui->retranslateUi(this);
}
