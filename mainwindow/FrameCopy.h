#pragma once

// The save dialog of the text export: the user confirms or picks the target
// file and chooses whether it is opened in the text editor afterwards. The
// dialog writes nothing itself; OK hands the path to the owner through
// sendSaveToText, whose slot writes the file before the dialog closes.

#include <QDialog>

#include <memory>

namespace Ui {
class FrameCopy;
}

class FrameCopy : public QDialog
{
    Q_OBJECT
public:
    explicit FrameCopy(QWidget* parent = nullptr);
    ~FrameCopy() override;

    void setPath(const QString& path);
    QString path() const;

    // Read by the owner after the dialog closed.
    bool openOutputFile = true;
    bool accepted = false;

signals:
    void sendSaveToText(QString path);

protected:
    void changeEvent(QEvent* event) override;

private slots:
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();
    void on_pushButton_3_clicked();
    void on_checkBox_clicked(bool checked);

private:
    std::unique_ptr<Ui::FrameCopy> m_ui;
};
