#include "Frame1.h"

#include "BubbleLabel.h"
#include "MarkButton.h"
#include "ui_Frame1.h"

Frame1::Frame1(QWidget* parent) : BubbleFrame(parent), ui(std::make_unique<Ui::Frame1>())
{
    ui->setupUi(this);
    initParts(ui->specialButton1, ui->toolButton, ui->pushButton_copyOne, true);
    // Spare width goes to the spacer column: a short message keeps a short
    // bubble instead of sharing the row with the spacer.
    ui->gridLayout->setColumnStretch(1, 1);
    // The spacers beside the Copy button would keep its row 20 pixels tall
    // and 80 wide while the button is hidden: a gap between a bubble and its
    // date, and a short message in a bubble wider than its text.
    ui->horizontalSpacer->changeSize(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    ui->horizontalSpacer_2->changeSize(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
}

Frame1::~Frame1() = default;

void Frame1::on_toolButton_clicked()
{
    reportClick();
}

void Frame1::on_pushButton_copyOne_clicked()
{
    emit sendCopyOneMessage(this);
}

void Frame1::reportClick()
{
    emit sendIsclick(this, ui->specialButton1);
}

void Frame1::retranslate()
{
    ui->retranslateUi(this);
}
