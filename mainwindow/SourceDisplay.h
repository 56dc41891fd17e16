#pragma once

// The source on display: reads a source into the window's stores (through
// a SourceLoader, so the window stays responsive), hands the stores to the
// pages, and lets them go again. The stores and currentSourceRow stay the
// window's members; this class keeps them, the pages, the page stack and
// the selected navigation row in agreement:
//   - while a read runs, the pages hold no store;
//   - when nothing is on display, currentSourceRow is -1, no row is
//     selected and the start page shows.

#include "SourceOpener.h"
#include "TextExporter.h"

#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>

class ContactStore;
class AttachmentFiles;
class MessageStore;
class QLabel;
class QListWidget;
class QStackedWidget;
class SourceLoader;
class frame_page1;
class frame_page2;

class SourceDisplay : public QObject
{
    Q_OBJECT
public:
    enum Page { StartPage = 0, ListPage = 1, ChatPage = 2 };

    struct Widgets
    {
        QWidget* window;
        QListWidget* rows;
        QStackedWidget* stack;
        frame_page1* listPage;
        frame_page2* chatPage;
        // The start page's picture, chosen by the label's object name.
        QLabel* startPicture;
    };
    SourceDisplay(const Widgets& widgets, std::unique_ptr<MessageStore>& messages,
                  std::unique_ptr<ContactStore>& contacts, int& currentSourceRow);
    ~SourceDisplay() override;

    SourceLoader* loader() const { return m_loader; }
    bool isLoading() const;

    // Reads request into the stores with the pages detached; false when the
    // user cancelled the read: then nothing is on display.
    bool read(const SourceRequest& request);
    // Opens the ".sms" file or phone backup folder at path, the source of
    // row, and shows it; false when nothing is on display.
    bool showBackup(const QString& path, bool phoneBackupFolder, int row);
    // Shows the stores' conversations; deletes only where they are allowed.
    void showStores(bool deletesOffered);
    // The pages let go of the stores before these are replaced or dropped.
    void detachPages();
    // Nothing on display: no row selected, the start page showing.
    void leaveUnloaded();
    // Closes and empties the stores (they stay, so that the phone's data
    // can be read into them again later); the start page shows and no
    // source is on display.
    void dropStores();
    // The skin's start picture of that name ("startNoDevice", "LinkDevice").
    void setStartPicture(const QString& name);
    // What the text export of the page showing takes.
    TextExporter::Shown exportContent() const;

    // Hands the chat page where the attachments of the source on display
    // lie: phoneBackup (the phone's fresh backup) when given, else the
    // phone backup folder or ".sms" file on display.
    void showAttachments(phonebackup::PhoneBackup* phoneBackup);

    // "File > Export…" on what is on display: the list's conversations, the
    // open one and the messages selected in it; phoneBackup as for
    // showAttachments. isLoading() holds while the dialog is up, so the
    // phone's reports wait (readEnded() lets them go on).
    void runExport(phonebackup::PhoneBackup* phoneBackup, const QString& folder);

    // The phone backup folder or ".sms" file on display, while it is.
    const OpenedSource& shown() const { return m_shown; }
    void forgetShown() { m_shown = OpenedSource(); }

signals:
    // A read ended (done or cancelled); reports that waited may go on.
    void readEnded();
    // The pages show this store now, or none (nullptr).
    void storeShown(MessageStore* store);

private:
    void dropAttachments();
    // Makes readers of the attachments of the source on display (see
    // showAttachments); empty when the source has none.
    std::function<std::unique_ptr<AttachmentFiles>()> attachmentReader(phonebackup::PhoneBackup* phoneBackup);
    // "This file is damaged: ..." once per file and run, after a read that
    // found the file damaged.
    void tellDamageOnce(const QByteArray& path);

    Widgets m_w;
    std::unique_ptr<MessageStore>& m_messages;
    std::unique_ptr<ContactStore>& m_contacts;
    int& m_currentRow;
    SourceLoader* m_loader = nullptr;
    OpenedSource m_shown;
    // Where the attachments of the chat page lie; goes before the source.
    std::unique_ptr<AttachmentFiles> m_attachments;
    // Files whose damage was told in this run.
    QSet<QByteArray> m_damageTold;
    // Folders whose warnings were told in this run.
    QStringList m_warnedFolders;
    // The export dialog is up: the stores are read on its thread.
    bool m_exporting = false;
};
