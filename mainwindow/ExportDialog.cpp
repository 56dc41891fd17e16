#include "ExportDialog.h"

#include "AttachmentFiles.h"
#include "ExportRunner.h"
#include "ExportTarget.h"
#include "ExportWalk.h"
#include "MessageStore.h"
#include "xbackgroundFrame.h"
#include "xdialogContainer.h"
#include "xdialogs.h"
#include "xplatform.h"
#include "xpublicPath.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDate>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

using exporting::Format;
using exporting::Selection;

namespace {

// The order the format list shows: the default first.
constexpr Format kFormats[] = {Format::Txt, Format::Html, Format::Pdf, Format::Csv, Format::Json};

// The days of the store's first and last message, for the range's start.
QPair<QDate, QDate> daysOf(const MessageStore* store)
{
    if (!store || store->messages.isEmpty())
        return {QDate::currentDate(), QDate::currentDate()};
    qint64 first = store->messages.constFirst().time;
    qint64 last = first;
    const qsizetype n = std::min<qsizetype>(store->messageCount, store->messages.size());
    for (qsizetype i = 0; i < n; ++i) {
        first = std::min(first, store->messages.at(i).time);
        last = std::max(last, store->messages.at(i).time);
    }
    return {exporting::localDate(first), exporting::localDate(last)};
}

// A name from the phone shown on a button: "&" stays an ampersand.
QString withoutMnemonics(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QDateEdit* dayEdit(const QString& name, QWidget* parent)
{
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(name);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return edit;
}

} // namespace

void runExportDialog(QWidget* parent, const ExportSource& source)
{
    xdialogContainer<ExportDialog, xbackgroundFrame> dialog(parent);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setSource(source);
    dialog.exec();
}

QString ExportDialog::formatTitle(Format format)
{
    switch (format) {
    case Format::Txt:
        return tr("Plain text");
    case Format::Html:
        return tr("Web page (HTML)");
    case Format::Pdf:
        return tr("PDF document");
    case Format::Csv:
        return tr("Spreadsheet (CSV)");
    case Format::Json:
        return tr("JSON lines");
    }
    return QString();
}

ExportDialog::ExportDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ExportDialog"));
    m_runner = new ExportRunner(this);
    connect(m_runner, &ExportRunner::progressed, this, &ExportDialog::showProgress);
    connect(m_runner, &ExportRunner::finished, this, &ExportDialog::exportEnded);

    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("headingLabel"));
    m_form = new QWidget(this);
    m_form->setObjectName(QStringLiteral("exportForm"));

    m_formatLabel = new QLabel(m_form);
    m_format = new QComboBox(m_form);
    m_format->setObjectName(QStringLiteral("formatBox"));
    for (Format format : kFormats)
        m_format->addItem(QString(), exporting::formatName(format));
    m_formatLabel->setBuddy(m_format);

    m_scopeLabel = new QLabel(m_form);
    m_all = new QRadioButton(m_form);
    m_all->setObjectName(QStringLiteral("allScope"));
    m_conversation = new QRadioButton(m_form);
    m_conversation->setObjectName(QStringLiteral("conversationScope"));
    m_selected = new QRadioButton(m_form);
    m_selected->setObjectName(QStringLiteral("selectedScope"));
    m_all->setChecked(true);

    m_range = new QCheckBox(m_form);
    m_range->setObjectName(QStringLiteral("rangeBox"));
    m_from = dayEdit(QStringLiteral("fromEdit"), m_form);
    m_toLabel = new QLabel(m_form);
    m_to = dayEdit(QStringLiteral("toEdit"), m_form);
    m_from->setEnabled(false);
    m_to->setEnabled(false);
    connect(m_range, &QCheckBox::toggled, m_from, &QWidget::setEnabled);
    connect(m_range, &QCheckBox::toggled, m_to, &QWidget::setEnabled);

    m_attachments = new QCheckBox(m_form);
    m_attachments->setObjectName(QStringLiteral("attachmentsBox"));

    m_targetLabel = new QLabel(m_form);
    m_target = new QLineEdit(m_form);
    m_target->setObjectName(QStringLiteral("targetEdit"));
    m_targetLabel->setBuddy(m_target);
    m_browse = new QPushButton(m_form);
    m_browse->setObjectName(QStringLiteral("browseButton"));
    m_browse->setAutoDefault(false);

    m_progressLine = new QLabel(this);
    m_progressLine->setObjectName(QStringLiteral("progressLabel"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 1000);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("messageLabel"));
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    // The progress line comes and goes; the buttons below should not jump.
    for (QWidget* w : {static_cast<QWidget*>(m_progressLine), static_cast<QWidget*>(m_progress)}) {
        QSizePolicy keep = w->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        w->setSizePolicy(keep);
        w->hide();
    }

    m_open = new QPushButton(this);
    m_open->setObjectName(QStringLiteral("openButton"));
    m_showFolder = new QPushButton(this);
    m_showFolder->setObjectName(QStringLiteral("folderButton"));
    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setAutoDefault(false);
    m_open->hide();
    m_showFolder->hide();

    auto* range = new QHBoxLayout;
    range->addWidget(m_range);
    range->addWidget(m_from);
    range->addWidget(m_toLabel);
    range->addWidget(m_to);
    range->addStretch(1);
    auto* target = new QHBoxLayout;
    target->addWidget(m_target, 1);
    target->addWidget(m_browse);
    auto* form = new QGridLayout(m_form);
    form->setContentsMargins(0, 0, 0, 0);
    form->setColumnStretch(1, 1);
    const Qt::Alignment labels = Qt::AlignRight | Qt::AlignVCenter;
    form->addWidget(m_formatLabel, 0, 0, labels);
    form->addWidget(m_format, 0, 1, Qt::AlignLeft);
    form->addWidget(m_scopeLabel, 1, 0, labels);
    form->addWidget(m_all, 1, 1);
    form->addWidget(m_conversation, 2, 1);
    form->addWidget(m_selected, 3, 1);
    form->addLayout(range, 4, 1);
    form->addWidget(m_attachments, 5, 1);
    form->setRowMinimumHeight(6, 6);
    form->addWidget(m_targetLabel, 7, 0, labels);
    form->addLayout(target, 7, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_open);
    buttons->addWidget(m_showFolder);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addSpacing(6);
    layout->addWidget(m_form);
    layout->addSpacing(6);
    layout->addWidget(m_progressLine);
    layout->addWidget(m_progress);
    layout->addWidget(m_message);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(m_format, &QComboBox::currentIndexChanged, this, &ExportDialog::formatOrScopeChanged);
    for (QRadioButton* scope : {m_all, m_conversation, m_selected})
        connect(scope, &QRadioButton::toggled, this, &ExportDialog::formatOrScopeChanged);
    connect(m_browse, &QPushButton::clicked, this, &ExportDialog::browse);
    connect(m_ok, &QPushButton::clicked, this, &ExportDialog::startExport);
    // Cancel stops a running export and stays, saying so; otherwise it closes.
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (!isRunning()) {
            reject();
            return;
        }
        m_cancel->setEnabled(false);
        m_runner->cancel();
    });
    connect(m_open, &QPushButton::clicked, this, [this] {
        if (!openInViewer(m_openPath))
            infoDialogOK(nullptr, tr("Warning"), tr("No program could be started to show\n%1").arg(m_openPath));
        else
            accept();
    });
    connect(m_showFolder, &QPushButton::clicked, this,
            [this] { openInViewer(QFileInfo(m_target->text()).absolutePath()); });

    resize(620, 430);
    retranslate();
}

ExportDialog::~ExportDialog() = default;

void ExportDialog::setSource(const ExportSource& source)
{
    m_source = source;
    const bool open = !source.conversation.isEmpty();
    m_conversation->setEnabled(open);
    m_selected->setEnabled(open && !source.selected.isEmpty());
    // The narrowest choice on display is the likeliest one.
    if (m_selected->isEnabled())
        m_selected->setChecked(true);
    else if (open)
        m_conversation->setChecked(true);
    else
        m_all->setChecked(true);
    const QPair<QDate, QDate> days = daysOf(source.store);
    m_from->setDate(days.first);
    m_to->setDate(days.second);
    m_proposed.clear();
    m_target->clear();
    retranslate();
    formatOrScopeChanged();
}

bool ExportDialog::isRunning() const
{
    return m_runner->isRunning();
}

Format ExportDialog::format() const
{
    return exporting::formatFromName(m_format->currentData().toString()).value_or(Format::Txt);
}

Selection ExportDialog::selection() const
{
    Selection selection;
    if (m_selected->isChecked()) {
        selection.scope = Selection::Scope::Messages;
        selection.conversation = m_source.conversation;
        selection.rowIds = m_source.selected;
    } else if (m_conversation->isChecked()) {
        selection.scope = Selection::Scope::OneConversation;
        selection.conversation = m_source.conversation;
    }
    if (m_range->isChecked()) {
        selection.from = m_from->date();
        selection.to = m_to->date();
    }
    return selection;
}

QString ExportDialog::proposedTarget() const
{
    const QString name = m_all->isChecked() ? QString() : m_source.conversationName;
    QString folder = m_source.folder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = xpublicPath::documentPath();
    return QDir(folder).filePath(exporting::defaultName(name, format(), QDate::currentDate()));
}

void ExportDialog::formatOrScopeChanged()
{
    const Format chosen = format();
    m_attachments->setEnabled(exporting::carriesAttachments(chosen));
    // A target the user typed keeps its folder and name; only its ending
    // follows the format.
    const QString target = m_target->text();
    const QString proposal = proposedTarget();
    if (target.isEmpty() || target == m_proposed) {
        m_target->setText(proposal);
    } else {
        const QFileInfo info(target);
        const QString suffix = info.suffix().toLower();
        const bool known = suffix == QLatin1String("jsonl") || exporting::formatFromName(suffix).has_value();
        const QString stem = known ? info.path() + QLatin1Char('/') + info.completeBaseName() : target;
        m_target->setText(stem + exporting::extension(chosen));
    }
    m_proposed = proposal;
}

void ExportDialog::browse()
{
    const Format chosen = format();
    QString start = m_target->text();
    if (start.isEmpty())
        start = proposedTarget();
    if (exporting::writesFolder(chosen)) {
        // An empty folder takes the pages itself; any other gets a new
        // folder of the proposed name inside it.
        const QString folder = QFileDialog::getExistingDirectory(
            this, tr("Export to folder"), QFileInfo(start).absolutePath(), QFileDialog::DontUseNativeDialog);
        if (folder.isEmpty())
            return;
        const bool empty = QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        m_target->setText(empty ? folder : QDir(folder).filePath(QFileInfo(proposedTarget()).fileName()));
        return;
    }
    const QString ext = exporting::extension(chosen);
    const QString filter = formatTitle(chosen) + QStringLiteral(" (*") + ext + QLatin1Char(')');
    // An existing file is refused anyway, so the dialog does not offer to replace it.
    QString file = QFileDialog::getSaveFileName(this, tr("Export to"), start, filter, nullptr,
                                                QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    if (file.isEmpty())
        return;
    if (!file.endsWith(ext, Qt::CaseInsensitive))
        file += ext;
    m_target->setText(file);
}

void ExportDialog::startExport()
{
    if (isRunning() || !m_source.store)
        return;
    const QString target = QDir::cleanPath(m_target->text().trimmed());
    if (m_target->text().trimmed().isEmpty()) {
        infoDialogOK(nullptr, tr("Information"), tr("Please choose where the export goes."));
        return;
    }
    if (m_range->isChecked() && m_from->date() > m_to->date()) {
        infoDialogOK(nullptr, tr("Information"), tr("The first day of the range comes after its last day."));
        return;
    }
    exporting::Options options;
    options.format = format();
    options.selection = selection();
    options.includeAttachments = m_attachments->isEnabled() && m_attachments->isChecked();
    // Told before anything runs; the user may choose another target.
    const exporting::ExportTarget::Check check =
        exporting::ExportTarget::check(target, exporting::writesFolder(options.format));
    if (check != exporting::ExportTarget::Check::Free) {
        infoDialogOK(nullptr, tr("Warning"), exporting::ExportTarget::refusal(check, target));
        m_target->setFocus();
        return;
    }
    std::unique_ptr<AttachmentFiles> files;
    if (options.includeAttachments && m_source.files)
        files = m_source.files();
    m_message->clear();
    m_openPath.clear();
    setRunning(true);
    showProgress(0, 0);
    m_runner->start(m_source.store, std::move(files), options, target);
}

void ExportDialog::showProgress(qint64 done, qint64 total)
{
    const QLocale locale;
    m_progressLine->setText(tr("%1 of %2 messages").arg(locale.toString(done), locale.toString(total)));
    m_progress->setValue(total > 0 ? int(done * 1000 / total) : 0);
}

void ExportDialog::exportEnded(const exporting::Result& result)
{
    using Status = exporting::Result::Status;
    setRunning(false);
    if (result.status == Status::Written) {
        showProgress(result.messages, result.messages);
        m_openPath = result.openPath;
        m_message->setText(tr("%1 messages of %2 conversations were written to %3.")
                               .arg(QLocale().toString(result.messages), QLocale().toString(result.conversations),
                                    QDir::toNativeSeparators(m_target->text())));
        // Done: what is left is to look at it, or to close.
        m_form->setEnabled(false);
        m_ok->hide();
        m_open->show();
        m_showFolder->show();
        m_open->setDefault(true);
        m_open->setFocus();
        m_cancel->setText(tr("Close"));
        if (m_closeWhenEnded)
            QDialog::reject();
        return;
    }
    m_progressLine->hide();
    m_progress->hide();
    if (m_closeWhenEnded) {
        QDialog::reject();
        return;
    }
    if (result.status == Status::Cancelled)
        m_message->setText(tr("The export was cancelled; nothing was written."));
    else
        infoDialogOK(nullptr, tr("Warning"), tr("The export could not be written:\n%1").arg(result.message));
}

void ExportDialog::setRunning(bool running)
{
    m_form->setEnabled(!running);
    m_ok->setEnabled(!running);
    m_cancel->setEnabled(true);
    if (running) {
        m_progressLine->show();
        m_progress->show();
    }
}

void ExportDialog::reject()
{
    if (isRunning()) {
        // The export ends at its next message and removes what it wrote;
        // the dialog goes once it has.
        m_closeWhenEnded = true;
        m_cancel->setEnabled(false);
        m_runner->cancel();
        return;
    }
    QDialog::reject();
}

void ExportDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslate();
}

void ExportDialog::retranslate()
{
    m_heading->setText(tr("Export messages"));
    m_formatLabel->setText(tr("Format:"));
    for (int i = 0; i < m_format->count(); ++i)
        m_format->setItemText(i, formatTitle(kFormats[i]));
    m_scopeLabel->setText(tr("Messages:"));
    m_all->setText(tr("All conversations"));
    m_conversation->setText(m_source.conversation.isEmpty()
                                ? tr("The open conversation")
                                : tr("The open conversation: %1").arg(withoutMnemonics(m_source.conversationName)));
    m_selected->setText(m_source.selected.isEmpty()
                            ? tr("The selected messages")
                            : tr("The selected messages (%1)").arg(QLocale().toString(m_source.selected.size())));
    m_range->setText(tr("Only messages from"));
    m_toLabel->setText(tr("to"));
    m_attachments->setText(tr("Include attachments"));
    m_targetLabel->setText(tr("Save to:"));
    m_browse->setText(tr("Browse…"));
    m_open->setText(tr("Open"));
    m_showFolder->setText(tr("Show in folder"));
    m_ok->setText(tr("Export"));
    m_cancel->setText(m_open->isHidden() ? tr("Cancel") : tr("Close"));
}
