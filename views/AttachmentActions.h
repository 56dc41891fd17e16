#pragma once

// What the chat page does with attachments: open one in the desktop's
// viewer, save one ("Save attachment…", a file dialog) or all of a
// conversation ("Save all attachments…", a folder dialog). Names from the
// phone are made safe before they touch a path; nothing is ever written
// over an existing file or outside the chosen folder.
//
// Opening hands the viewer a private copy (mode 0600) in a folder of
// msgdesk's own that is removed at exit, never the source's own file, so a
// viewer cannot change the source and nothing of an encrypted backup stays
// behind.

#include "AttachmentFiles.h"

#include <QObject>
#include <QUrl>
#include <QVector>

#include <functional>
#include <memory>

class QWidget;

namespace phonebackup {
class PrivateFolder;
}

namespace views {

class AttachmentActions : public QObject
{
    Q_OBJECT
public:
    explicit AttachmentActions(QObject* parent = nullptr);
    ~AttachmentActions() override;

    void setFiles(AttachmentFiles* files) { m_files = files; }

    // Opens through QDesktopServices, or through the opener set for tests.
    bool open(const AttachmentRecord& attachment, QWidget* parent);
    // Returns the path written, or empty (cancelled, or the box said why).
    QString save(const AttachmentRecord& attachment, QWidget* parent);
    // Returns the paths written.
    QStringList saveAll(const QVector<AttachmentRecord>& attachments, QWidget* parent);

    // Where copies handed to viewers lie; empty until the first.
    QString openedCopiesFolder() const;

    using UrlOpener = std::function<bool(const QUrl&)>;
    static void setUrlOpener(UrlOpener opener);

private:
    AttachmentFiles* m_files = nullptr;
    std::unique_ptr<phonebackup::PrivateFolder> m_copies;
};

} // namespace views
