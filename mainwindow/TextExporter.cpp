#include "TextExporter.h"

#include "Frame.h"
#include "Frame1.h"
#include "FrameCopy.h"
#include "MessageStore.h"
#include "TextExport.h"
#include "xbackgroundFrame.h"
#include "xdialogContainer.h"
#include "xdialogs.h"
#include "xplatform.h"

#include <QCoreApplication>
#include <QDateTime>

QStringList TextExporter::wholeExportLines(MessageStore* store, Shown shown)
{
    QStringList lines;
    if (!store)
        return lines;
    if (shown == Shown::ConversationList) {
        // selectConversation refills conversation, never the heads.
        const QVector<MessageRecord> heads = store->conversationHeads;
        for (const MessageRecord& head : heads) {
            store->selectConversation(head.address);
            lines += textexport::conversationBlock(store->conversation);
        }
    } else if (shown == Shown::Conversation) {
        lines = textexport::chatPageLines(store->conversation);
    }
    return lines;
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
