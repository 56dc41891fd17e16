#include "TextExport.h"

#include <QSaveFile>

namespace textexport {

namespace {

QString fromBytes(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}

} // namespace

// timeText already ends in '\n', so this line holds a bare line feed before " :".
QString fromLine(const MessageRecord& m)
{
    return QStringLiteral("From  ") + fromBytes(m.address) + QStringLiteral(" at:") + fromBytes(m.timeText()) +
           QStringLiteral(" :");
}

QString longRule()
{
    return QString(54, QLatin1Char('*'));
}

QString rule()
{
    return QString(45, QLatin1Char('*'));
}

QString shortRule()
{
    return QString(43, QLatin1Char('*'));
}

QStringList conversationBlock(const QVector<MessageRecord>& conversation)
{
    QStringList lines{rule()};
    for (qsizetype i = conversation.size() - 1; i >= 0; --i) {
        lines << fromLine(conversation.at(i)) << fromBytes(conversation.at(i).text) << rule();
    }
    return lines;
}

QStringList chatPageLines(const QVector<MessageRecord>& conversation)
{
    if (conversation.isEmpty())
        return {};
    QStringList lines{rule(), QStringLiteral("*") + fromBytes(conversation.first().address), shortRule()};
    for (const MessageRecord& m : conversation)
        lines << fromLine(m) << fromBytes(m.text);
    return lines;
}

QStringList singleMessageLines(const QVector<MessageRecord>& conversation, qint64 rowId)
{
    for (const MessageRecord& m : conversation) {
        if (m.rowId == rowId) {
            return {longRule(),
                    QStringLiteral("*  From:  ") + fromBytes(m.address) + QStringLiteral(" time:") +
                        fromBytes(m.timeText()),
                    fromBytes(m.text)};
        }
    }
    return {};
}

bool writeLines(const QString& path, const QStringList& lines)
{
    if (path.isEmpty())
        return false;
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    // A save file keeps an earlier export intact when the disk fills up half way.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString timeStamp(const QDateTime& when)
{
    return when.toString(QStringLiteral("yyyy.MM.dd.hh.mm.ss"));
}

QString defaultExportPath(const QString& folder, const QDateTime& when)
{
    return folder + QLatin1Char('/') + timeStamp(when) + QStringLiteral(".txt");
}

} // namespace textexport
