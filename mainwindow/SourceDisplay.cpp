#include "SourceDisplay.h"

#include "AttachmentFiles.h"
#include "ContactStore.h"
#include "ExportDialog.h"
#include "ExportWalk.h"
#include "MessageStore.h"
#include "SourceLoader.h"
#include "frame_page1.h"
#include "frame_page2.h"
#include "WindowTexts.h"
#include "xdialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>

namespace {

// The box runs an event loop of its own: it comes up once the delete that
// failed has returned, so that nothing handled in that loop (a phone
// removed, another source chosen) meets a store in the middle of a delete.
void showDeleteError(const QString& title, const QString& text)
{
    QMetaObject::invokeMethod(
        qApp, [title, text] { infoDialogOK(nullptr, title, text); }, Qt::QueuedConnection);
}

} // namespace

SourceDisplay::SourceDisplay(const Widgets& widgets, std::unique_ptr<MessageStore>& messages,
                             std::unique_ptr<ContactStore>& contacts, int& currentSourceRow)
    : m_w(widgets), m_messages(messages), m_contacts(contacts), m_currentRow(currentSourceRow)
{
    setDeleteErrorHandler(&showDeleteError);
    m_loader = new SourceLoader(m_w.window, m_w.stack);
    // A delete held up by another reader of the file finishes its wipe
    // once that reader lets go.
    auto* wipeRetry = new QTimer(this);
    connect(wipeRetry, &QTimer::timeout, this, [this] {
        if (m_messages && m_messages->wipePending() && !isLoading())
            m_messages->finishWipe(0);
    });
    wipeRetry->start(2000);
}

SourceDisplay::~SourceDisplay()
{
    // A read cancelled by the user may still run; it ends before the stores
    // go, and the connections go before the decrypted copies they read.
    delete m_loader;
    setDeleteErrorHandler(nullptr);
}

bool SourceDisplay::isLoading() const
{
    return m_loader->isLoading() || m_exporting;
}

bool SourceDisplay::read(const SourceRequest& request)
{
    detachPages();
    const bool done = m_loader->load(request, m_messages, m_contacts);
    if (!done)
        leaveUnloaded();
    else
        tellDamageOnce(request.messagesPath);
    emit readEnded();
    return done;
}

bool SourceDisplay::showBackup(const QString& path, bool phoneBackupFolder, int row)
{
    m_w.stack->setCurrentIndex(ListPage);
    if (!phoneBackupFolder && !QFileInfo(path).isFile())
        infoDialogOK(nullptr, WindowTexts::tr("Warning"),
                     WindowTexts::tr("The backup file does not exist any more:\n%1").arg(path));
    // The source on display is let go first: a folder's decrypted copies go
    // with it.
    detachPages();
    if (m_messages)
        m_messages->close();
    m_shown = OpenedSource();
    const SourceOpener opener(m_w.window);
    OpenedSource source = phoneBackupFolder ? opener.openPhoneBackup(path) : opener.openSmsFile(path);
    if (!source.isOpen()) {
        leaveUnloaded();
        if (source.status != OpenedSource::Status::Cancelled)
            infoDialogOK(nullptr, WindowTexts::tr("Warning"),
                         WindowTexts::tr("The phone backup cannot be read:\n%1\n\n%2").arg(path, source.detail));
        return false;
    }
    m_shown = std::move(source);
    if (!read(m_shown.request)) {
        m_shown = OpenedSource();
        return false;
    }
    showStores(!phoneBackupFolder);
    m_currentRow = row;
    if (!phoneBackupFolder)
        return true;
    m_w.rows->setCurrentRow(row);
    const QStringList& warnings = m_shown.databases.warnings;
    if (!warnings.isEmpty() && !m_warnedFolders.contains(path)) {
        m_warnedFolders.append(path);
        infoDialogOK(nullptr, WindowTexts::tr("Information"), warnings.join(QStringLiteral("\n\n")));
    }
    return true;
}

void SourceDisplay::tellDamageOnce(const QByteArray& path)
{
    if (!m_messages || m_messages->damage().isEmpty() || m_damageTold.contains(path))
        return;
    m_damageTold.insert(path);
    infoDialogOK(nullptr, WindowTexts::tr("Warning"),
                 WindowTexts::tr("This file is damaged: %1.").arg(m_messages->damage()));
}

void SourceDisplay::setStartPicture(const QString& name)
{
    m_w.startPicture->setObjectName(name);
    // The skin picks the picture by object name; a renamed widget keeps its
    // old rules until the style is applied to it again.
    m_w.startPicture->style()->unpolish(m_w.startPicture);
    m_w.startPicture->style()->polish(m_w.startPicture);
    m_w.startPicture->update();
}

TextExporter::Shown SourceDisplay::exportContent() const
{
    switch (m_w.stack->currentIndex()) {
    case ListPage:
        return TextExporter::Shown::ConversationList;
    case ChatPage:
        return TextExporter::Shown::Conversation;
    default:
        return TextExporter::Shown::Nothing;
    }
}

void SourceDisplay::showStores(bool deletesOffered)
{
    m_w.chatPage->setDeleteButtonShown(false);
    m_w.listPage->resetEditMode();
    m_w.listPage->showConversations(m_messages.get());
    emit storeShown(m_messages.get());
    // A damaged file is only shown: its row ids may name other messages.
    if (!deletesOffered || (m_messages && !m_messages->deletesAllowed()))
        m_w.listPage->setEditButtonVisible(false);
}

std::function<std::unique_ptr<AttachmentFiles>()> SourceDisplay::attachmentReader(phonebackup::PhoneBackup* phoneBackup)
{
    if (phonebackup::PhoneBackup* backup = phoneBackup ? phoneBackup : m_shown.backup.get())
        return [backup] { return attachmentfiles::ofPhoneBackup(backup); };
    if (m_shown.isOpen()) {
        const QString path = QString::fromUtf8(m_shown.request.messagesPath);
        return [path] { return attachmentfiles::ofSmsFile(path, attachmentfiles::SmsAccess::MayChange); };
    }
    return {};
}

void SourceDisplay::showAttachments(phonebackup::PhoneBackup* phoneBackup)
{
    m_w.chatPage->setAttachmentFiles(nullptr);
    const auto reader = attachmentReader(phoneBackup);
    m_attachments = reader ? reader() : attachmentfiles::none();
    m_w.chatPage->setAttachmentFiles(m_attachments.get());
}

void SourceDisplay::dropAttachments()
{
    m_w.chatPage->setAttachmentFiles(nullptr);
    m_attachments.reset();
}

void SourceDisplay::detachPages()
{
    emit storeShown(nullptr);
    m_w.listPage->showConversations(nullptr);
    m_w.chatPage->loadConversation(nullptr);
    dropAttachments();
    if (m_w.stack->currentIndex() == ChatPage)
        m_w.stack->setCurrentIndex(ListPage);
}

void SourceDisplay::leaveUnloaded()
{
    detachPages();
    m_currentRow = -1;
    m_w.stack->setCurrentIndex(StartPage);
    const QSignalBlocker blocker(m_w.rows);
    m_w.rows->setCurrentRow(-1);
    m_w.rows->clearSelection();
}

void SourceDisplay::dropStores()
{
    emit storeShown(nullptr);
    m_w.listPage->showConversations(nullptr);
    m_w.chatPage->loadConversation(nullptr);
    dropAttachments();
    if (m_messages) {
        m_messages->close();
        m_messages->clear();
    }
    if (m_contacts)
        m_contacts->contacts.clear();
    m_shown = OpenedSource();
    m_currentRow = -1;
    m_w.stack->setCurrentIndex(StartPage);
}

void SourceDisplay::runExport(phonebackup::PhoneBackup* phoneBackup, const QString& folder)
{
    const int page = m_w.stack->currentIndex();
    if (!m_messages || isLoading() || (page != ListPage && page != ChatPage)) {
        infoDialogOK(nullptr, WindowTexts::tr("Information"), WindowTexts::tr("No data sorce!!!Please check one!!!"));
        return;
    }
    ExportSource source;
    source.store = m_messages.get();
    source.folder = folder;
    const QVector<MessageRecord>& open = m_messages->conversation;
    if (page == ChatPage && !open.isEmpty()) {
        source.conversation = open.constFirst().address;
        source.conversationName = exporting::conversationName(open.constLast());
        source.selected = m_w.chatPage->selectedRowIds();
    }
    // The export reads the attachments on its own thread, through a reader
    // of its own: the chat page's stays on the GUI thread.
    source.files = attachmentReader(phoneBackup);
    // The store indexes its conversations when first asked after a change:
    // asked here, the export's thread only ever reads the index.
    m_messages->recordsOf(QByteArray());
    m_exporting = true;
    runExportDialog(m_w.window, source);
    m_exporting = false;
    emit readEnded();
}
