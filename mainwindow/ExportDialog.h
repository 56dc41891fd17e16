#pragma once

// "File > Export…": the user picks the format, which messages (all
// conversations, the open one, the ones selected on the chat page), an
// optional range of days, whether the attachments go with them, and where
// the export goes. OK runs it on an ExportRunner with a progress line and
// Cancel; the dialog stays modal to the whole application until the export
// ended, so nothing changes the store meanwhile. When it is written,
// "Open" shows it with the desktop's viewer. Used inside the shell's
// dialog container, like the save dialog:
//
//   runExportDialog(window, source);

#include "Export.h"

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class AttachmentFiles;
class ExportRunner;
class MessageStore;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;

// What the window has on display.
struct ExportSource
{
    MessageStore* store = nullptr;
    // Makes a reader of the source's attachments for the export's thread;
    // unset when the source has none.
    std::function<std::unique_ptr<AttachmentFiles>()> files;
    // The conversation open on the chat page (empty when none) and its name.
    QByteArray conversation;
    QString conversationName;
    // The messages selected on the chat page, of that conversation.
    QVector<qint64> selected;
    // The folder the target is proposed in.
    QString folder;
};

// Runs the dialog on source, modal to the whole application.
void runExportDialog(QWidget* parent, const ExportSource& source);

class ExportDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ExportDialog(QWidget* parent = nullptr);
    ~ExportDialog() override;

    void setSource(const ExportSource& source);
    bool isRunning() const;

    // The human names of the formats, in the order the list shows them.
    static QString formatTitle(exporting::Format format);

    // Escape and the window's close: a running export is cancelled and the
    // dialog closes once it has ended (and left nothing behind).
    void reject() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    exporting::Format format() const;
    exporting::Selection selection() const;
    QString proposedTarget() const;
    void formatOrScopeChanged();
    void browse();
    void startExport();
    void showProgress(qint64 done, qint64 total);
    void exportEnded(const exporting::Result& result);
    void setRunning(bool running);
    void retranslate();

    ExportSource m_source;
    ExportRunner* m_runner = nullptr;
    // The target last proposed: a field still holding it follows the
    // format and scope.
    QString m_proposed;
    QString m_openPath;
    bool m_closeWhenEnded = false;

    QLabel* m_heading = nullptr;
    QWidget* m_form = nullptr;
    QLabel* m_formatLabel = nullptr;
    QComboBox* m_format = nullptr;
    QLabel* m_scopeLabel = nullptr;
    QRadioButton* m_all = nullptr;
    QRadioButton* m_conversation = nullptr;
    QRadioButton* m_selected = nullptr;
    QCheckBox* m_range = nullptr;
    QDateEdit* m_from = nullptr;
    QLabel* m_toLabel = nullptr;
    QDateEdit* m_to = nullptr;
    QCheckBox* m_attachments = nullptr;
    QLabel* m_targetLabel = nullptr;
    QLineEdit* m_target = nullptr;
    QPushButton* m_browse = nullptr;
    QLabel* m_progressLine = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_message = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_showFolder = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
