#include "messageframe.h"

#include "bubbletext.h"
#include "repolish.h"

#include "ui_messageframe.h"

#include <QEvent>

messageframe::messageframe(QWidget* parent) : QFrame(parent), ui(std::make_unique<Ui::messageframe>())
{
    ui->setupUi(this);
    ui->toolButton110->hide();
    ui->toolButton_2->hide();
    ui->toolButton_2->setText(tr("Delete"));
    ui->toolButton110->setObjectName(QStringLiteral("toolButtonV"));
    // Names and texts come from the phone; never let them be read as markup.
    ui->label->setTextFormat(Qt::PlainText);
    ui->label_2->setTextFormat(Qt::PlainText);
    ui->label_3->setTextFormat(Qt::PlainText);
    // A long name wraps rather than pushing the time out of the row.
    ui->label->setWordWrap(true);
}

messageframe::~messageframe() = default;

void messageframe::setContents(const QString& name, const QString& timeText, const QString& text)
{
    setMinusLook(QStringLiteral("toolButtonV"));
    ui->toolButton110->hide();
    ui->label->setText(views::breakableText(name));
    ui->label_2->setText(text);
    // The stored time text ends in a newline, which would give the row an
    // empty second line.
    ui->label_3->setText(timeText.trimmed());
}

void messageframe::resetMinusButton()
{
    deleteOffered = false;
    setMinusLook(QStringLiteral("toolButtonV"));
}

void messageframe::deleteButtonState(bool b)
{
    ui->toolButton110->setVisible(b);
    if (b) {
        ui->label_4->hide();
    } else {
        ui->label_4->show();
        ui->toolButton_2->hide();
    }
}

void messageframe::on_toolButton_2_clicked()
{
    emit sendDeletePerson(phoneNumber, this);
}

void messageframe::on_toolButton110_clicked()
{
    deleteOffered = !deleteOffered;
    setMinusLook(deleteOffered ? QStringLiteral("toolButtonH") : QStringLiteral("toolButtonV"));
    ui->toolButton_2->setVisible(deleteOffered);
}

void messageframe::setMinusLook(const QString& name)
{
    QWidget* minus = ui->toolButton110;
    if (minus->objectName() != name) {
        minus->setObjectName(name);
        views::repolish(minus);
    }
}

bool messageframe::event(QEvent* e)
{
    if (e->type() == QEvent::MouseButtonRelease)
        emit selClicked(phoneNumber);
    return QFrame::event(e);
}

void messageframe::changeEvent(QEvent* e)
{
    QFrame::changeEvent(e);
    if (e->type() == QEvent::LanguageChange) {
        // The designer texts are samples; keep what the row shows.
        const QString name = ui->label->text();
        const QString time = ui->label_3->text();
        const QString text = ui->label_2->text();
        ui->retranslateUi(this);
        ui->label->setText(views::breakableText(name));
        ui->label_3->setText(time);
        ui->label_2->setText(text);
        ui->toolButton_2->setText(tr("Delete"));
    }
}
