#include "TextExporter.h"

#include "Frame.h"
#include "Frame1.h"
#include "FrameCopy.h"
#include "MessageStore.h"
#include "TextExport.h"
#include "TextWriter.h"
#include "xbackgroundFrame.h"
#include "xdialogContainer.h"
#include "xdialogs.h"
#include "xplatform.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSaveFile>

bool TextExporter::writeWholeExport(MessageStore* store, Shown shown, const QString& path)
{
    if (path.isEmpty())
        return false;
    // A save file keeps an earlier export intact when the disk fills up half way.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    exporting::Selection selection;
    if (shown == Shown::Conversation && store && !store->conversation.isEmpty()) {
        selection.scope = exporting::Selection::Scope::OneConversation;
        selection.conversation = store->conversation.constFirst().address;
    }
    QString why;
    const bool wanted = store && (shown == Shown::ConversationList || selection.conversation.size() > 0);
    if (wanted && !exporting::writeText(*store, selection, &file, &why)) {
        file.cancelWriting();
        return false;
    }
    // As when the list was written by selecting each conversation in turn,
    // the store's conversation is the last one written.
    if (shown == Shown::ConversationList && store && !store->conversationHeads.isEmpty())
        store->selectConversation(store->conversationHeads.constLast().address);
    return file.commit();
}

QStringList TextExporter::bubbleLines(MessageStore* store, QFrame* bubble)
{
    qint64 rowId = 0;
    if (auto* in = qobject_cast<Frame*>(bubble))
        rowId = in->rowId();
    else if (auto* out = qobject_cast<Frame1*>(bubble))
        rowId = out->rowId();
    else
        return {};
    if (!store)
        return {};
    return textexport::singleMessageLines(store->conversation, rowId);
}

void TextExporter::runSaveDialog(const QString& folder, const std::function<bool(const QString&)>& write)
{
    xdialogContainer<FrameCopy, xbackgroundFrame> dialog;
    QString confirmed;
    bool written = false;
    QObject::connect(&dialog, &FrameCopy::sendSaveToText, &dialog, [&](const QString& path) {
        confirmed = path;
        written = write(path);
    });
    dialog.setPath(textexport::defaultExportPath(folder, QDateTime::currentDateTime()));
    dialog.exec();
    if (!dialog.accepted)
        return;
    if (!written) {
        infoDialogOK(
            nullptr, QCoreApplication::translate("MainWindow", "Warning"),
            QCoreApplication::translate("MainWindow", "The text file could not be written:\n%1").arg(confirmed));
        return;
    }
    if (dialog.openOutputFile)
        openInTextEditor(confirmed);
}
