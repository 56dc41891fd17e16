#include "FrameCopy.h"

#include "ui_framecopy.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>

FrameCopy::FrameCopy(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::FrameCopy>())
{
    m_ui->setupUi(this);
    m_ui->checkBox->setChecked(true);
    m_ui->pushButton_2->setDefault(true);
}

FrameCopy::~FrameCopy() = default;

void FrameCopy::setPath(const QString& path)
{
    m_ui->lineEdit->setText(path);
}

QString FrameCopy::path() const
{
    return m_ui->lineEdit->text();
}

void FrameCopy::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        // retranslateUi also resets the title, which the container owns.
        const QString title = windowTitle();
        m_ui->retranslateUi(this);
        setWindowTitle(title);
    }
}

void FrameCopy::on_pushButton_clicked()
{
    // Start where the proposed file lies (the backup folder) rather than a fixed drive.
    QString start = QFileInfo(path()).absolutePath();
    if (path().isEmpty() || !QFileInfo(start).isDir())
        start = QDir::homePath();
    // Qt's own dialog on every desktop, so it looks alike everywhere and can be driven in tests.
    const QString chosen = QFileDialog::getSaveFileName(this, tr("Save To txt"), start, tr("txt (*.txt)"), nullptr,
                                                        QFileDialog::DontUseNativeDialog);
    if (!chosen.isEmpty())
        setPath(chosen);
}

void FrameCopy::on_pushButton_2_clicked()
{
    emit sendSaveToText(path());
    accepted = true;
    close();
}

void FrameCopy::on_pushButton_3_clicked()
{
    accepted = false;
    close();
}

void FrameCopy::on_checkBox_clicked(bool checked)
{
    openOutputFile = checked;
}
