#pragma once

// The window shown while the backup tool runs for a linked phone: the lines
// the tool reports and a Cancel button. It only shows; the owner runs the
// tool and closes the window when the tool has ended. It is used inside the
// shell's dialog container, like the save dialog.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class BackupProgress : public QDialog
{
    Q_OBJECT
public:
    explicit BackupProgress(QWidget* parent = nullptr);

    // Empties the output and enables Cancel again for a new run.
    void startRun();
    void appendLine(const QString& line);
    QString outputText() const;

signals:
    void cancelRequested();

protected:
    void changeEvent(QEvent* event) override;
    // Escape and the window's close button mean Cancel: the tool decides
    // when the window goes.
    void reject() override;

private:
    void retranslate();

    QLabel* m_caption = nullptr;
    QPlainTextEdit* m_output = nullptr;
    QPushButton* m_cancel = nullptr;
};
