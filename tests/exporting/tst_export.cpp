// What every export shares: the walk over the chosen messages, the target
// that never overwrites and leaves nothing behind, and the txt format,
// which must give exactly the bytes "Copy" writes.

#include "Export.h"
#include "ExportFixture.h"
#include "ExportTarget.h"
#include "ExportWalk.h"
#include "TextExport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace exporting;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray joined(const QStringList& lines)
{
    QByteArray out;
    for (const QString& l : lines)
        out += l.toUtf8() + "\r\n";
    return out;
}

// Everything in folder, hidden entries too.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

Options txt(Selection::Scope scope = Selection::Scope::AllConversations, const QByteArray& key = {})
{
    Options o;
    o.format = Format::Txt;
    o.selection.scope = scope;
    o.selection.conversation = key;
    return o;
}

} // namespace

class ExportTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void formatNames();
    void walkChoosesMessages_data();
    void walkChoosesMessages();
    void walkLeavesTheOpenConversation();
    void authorsAndReactions();
    void txtIsTheCopyFormat();
    void txtOfOneConversationIsTheChatPageForm();
    void txtKeepsTheBytesOfOddTexts();
    void targetsAreNeverOverwritten();
    void cancelLeavesNothing();
    void nameTakenMeanwhileIsKept();
    void folderTargets();
    void defaultNames();
    void localTimesAgreeWithQt();

private:
    MessageStore m_store;
    QTemporaryDir m_dir;
};

void ExportTest::init()
{
    m_store.clear();
    exportfixture::fill(m_store);
}

void ExportTest::formatNames()
{
    for (const QString& name : exporting::formatNames())
        QCOMPARE(formatName(*formatFromName(name)), name);
    QCOMPARE(formatFromName(QStringLiteral("PDF")), std::optional<Format>(Format::Pdf));
    QVERIFY(!formatFromName(QStringLiteral("doc")));
    QVERIFY(writesFolder(Format::Html) && !writesFolder(Format::Pdf));
    QVERIFY(carriesAttachments(Format::Pdf) && !carriesAttachments(Format::Csv));
}

void ExportTest::walkChoosesMessages_data()
{
    using Scope = Selection::Scope;
    QTest::addColumn<int>("scope");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QVector<qint64>>("rowIds");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("expected"); // "key:rowid rowid ..." per conversation

    // The list's order: latest conversation first.
    QTest::newRow("all") << int(Scope::AllConversations) << QByteArray() << QVector<qint64>() << QDate() << QDate()
                         << QStringList{"+4915112345678:1 2 7 9 11 12", "10086:3 10", "chat123456:4 5 6 8"};
    QTest::newRow("one day, local time") << int(Scope::AllConversations) << QByteArray() << QVector<qint64>()
                                         << QDate(2024, 3, 6) << QDate(2024, 3, 6)
                                         << QStringList{"+4915112345678:7", "chat123456:5 6 8"};
    QTest::newRow("open start") << int(Scope::AllConversations) << QByteArray() << QVector<qint64>() << QDate()
                                << QDate(2024, 3, 5) << QStringList{"+4915112345678:1 2", "10086:3", "chat123456:4"};
    QTest::newRow("range with nothing") << int(Scope::AllConversations) << QByteArray() << QVector<qint64>()
                                        << QDate(2030, 1, 1) << QDate() << QStringList();
    QTest::newRow("one conversation") << int(Scope::OneConversation) << exportfixture::kGroup << QVector<qint64>()
                                      << QDate() << QDate() << QStringList{"chat123456:4 5 6 8"};
    QTest::newRow("unknown conversation") << int(Scope::OneConversation) << QByteArray("nobody") << QVector<qint64>()
                                          << QDate() << QDate() << QStringList();
    QTest::newRow("chosen messages, given in any order, others' ignored")
        << int(Scope::Messages) << exportfixture::kAnna << QVector<qint64>{12, 3, 1, 99} << QDate() << QDate()
        << QStringList{"+4915112345678:1 12"};
}

void ExportTest::walkChoosesMessages()
{
    QFETCH(int, scope);
    QFETCH(QByteArray, key);
    QFETCH(QVector<qint64>, rowIds);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, expected);

    Selection selection;
    selection.scope = Selection::Scope(scope);
    selection.conversation = key;
    selection.rowIds = rowIds;
    selection.from = from;
    selection.to = to;
    ExportWalk walk(m_store, selection);
    QStringList seen;
    qint64 messages = 0;
    ExportConversation c;
    while (walk.next(&c)) {
        QStringList ids;
        for (const MessageRecord& m : std::as_const(c.messages))
            ids.append(QString::number(m.rowId));
        seen.append(QString::fromUtf8(c.key) + QLatin1Char(':') + ids.join(QLatin1Char(' ')));
        messages += c.messages.size();
    }
    QCOMPARE(seen, expected);
    // What progress counts with is what the walk gives.
    QCOMPARE(walk.messageCount(), messages);
    QCOMPARE(walk.conversationCount(), int(expected.size()));
}

void ExportTest::walkLeavesTheOpenConversation()
{
    m_store.selectConversation(exportfixture::kPlain);
    const QVector<MessageRecord> open = m_store.conversation;
    ExportWalk walk(m_store, {});
    ExportConversation c;
    while (walk.next(&c)) {
    }
    QCOMPARE(m_store.conversation.size(), open.size());
    QCOMPARE(m_store.conversation.first().rowId, open.first().rowId);
}

void ExportTest::authorsAndReactions()
{
    ExportWalk walk(m_store, {});
    ExportConversation anna;
    QVERIFY(walk.next(&anna));
    QCOMPARE(anna.name, QStringLiteral("Berg Anna"));
    QVERIFY(!anna.isGroup);
    QCOMPARE(walk.authorOf(anna, anna.messages.at(0)), QStringLiteral("Berg Anna"));
    QCOMPARE(walk.authorOf(anna, anna.messages.at(1)), QStringLiteral("me"));

    ExportConversation plain;
    QVERIFY(walk.next(&plain));
    QCOMPARE(plain.name, QStringLiteral("10086"));

    ExportConversation group;
    QVERIFY(walk.next(&group));
    QVERIFY(group.isGroup);
    QCOMPARE(group.name, QStringLiteral("Family"));
    // A sender with a contact name, and one without.
    QCOMPARE(walk.authorOf(group, group.messages.at(0)), QStringLiteral("Jonas"));
    QCOMPARE(walk.authorOf(group, group.messages.at(1)), QStringLiteral("mia@example.org"));
    QCOMPARE(walk.reactionsOf(group.messages.at(0)), QStringLiteral("\u2764\ufe0f 2"));
    QCOMPARE(walk.reactionsOf(group.messages.at(2)), QString());
    QCOMPARE(walk.attachmentsOf(group.messages.at(2)).size(), 2);
    // Pages show the attachments themselves, not their placeholders.
    const QVector<AttachmentRecord> two = walk.attachmentsOf(group.messages.at(2));
    QCOMPARE(walk.shownTextOf(group.messages.at(2), two), QStringLiteral("Look"));
    MessageRecord named = group.messages.at(2);
    named.text = "Here is the photo [IMG_0001.JPG]";
    QCOMPARE(walk.shownTextOf(named, two), QStringLiteral("Here is the photo"));
    QCOMPARE(walk.shownTextOf(group.messages.at(0), {}), QString::fromUtf8(group.messages.at(0).text));
}

void ExportTest::txtIsTheCopyFormat()
{
    // The bytes the list page's "Copy" has always written.
    QStringList lines;
    const QVector<MessageRecord> heads = m_store.conversationHeads;
    for (const MessageRecord& head : heads)
        lines += textexport::conversationBlock(m_store.recordsOf(head.address));
    const QString path = m_dir.filePath(QStringLiteral("all.txt"));
    const Result result = run(m_store, nullptr, txt(), path);
    QCOMPARE(int(result.status), int(Result::Status::Written));
    QCOMPARE(result.messages, qint64(12));
    QCOMPARE(result.conversations, 3);
    QCOMPARE(result.openPath, path);
    QCOMPARE(readAll(path), joined(lines));
}

void ExportTest::txtOfOneConversationIsTheChatPageForm()
{
    const QString path = m_dir.filePath(QStringLiteral("group.txt"));
    const Result result = run(m_store, nullptr, txt(Selection::Scope::OneConversation, exportfixture::kGroup), path);
    QCOMPARE(int(result.status), int(Result::Status::Written));
    QCOMPARE(readAll(path), joined(textexport::chatPageLines(m_store.recordsOf(exportfixture::kGroup))));
}

void ExportTest::txtKeepsTheBytesOfOddTexts()
{
    // A byte-order mark in front, a NUL inside, bytes that are no UTF-8, in
    // texts and keys: the same bytes as the lines "Copy" builds.
    const QList<QByteArray> texts{QByteArray("\xef\xbb\xbf"
                                             "first"),
                                  QByteArray("nul\0inside", 10), QByteArray("bad \xff\xfe \xc3"), QByteArray(),
                                  QByteArray("\r\n\t")};
    m_store.clear();
    for (qsizetype i = 0; i < texts.size(); ++i) {
        MessageRecord m;
        m.rowId = i + 1;
        m.address = i % 2 ? QByteArray("12\xff"
                                       "34")
                          : QByteArray("+86 138");
        m.contactName = "NULL";
        m.text = texts.at(i);
        m.time = exportfixture::kDay1 + i;
        m.isIncoming = i % 2;
        m_store.messages.append(m);
    }
    m_store.messageCount = int(m_store.messages.size());
    m_store.buildConversationList();

    QStringList lines;
    const QVector<MessageRecord> heads = m_store.conversationHeads;
    for (const MessageRecord& head : heads)
        lines += textexport::conversationBlock(m_store.recordsOf(head.address));
    const QString all = m_dir.filePath(QStringLiteral("odd.txt"));
    QCOMPARE(int(run(m_store, nullptr, txt(), all).status), int(Result::Status::Written));
    QCOMPARE(readAll(all), joined(lines));

    const QByteArray key("12\xff"
                         "34");
    const QString one = m_dir.filePath(QStringLiteral("odd-one.txt"));
    QCOMPARE(int(run(m_store, nullptr, txt(Selection::Scope::OneConversation, key), one).status),
             int(Result::Status::Written));
    QCOMPARE(readAll(one), joined(textexport::chatPageLines(m_store.recordsOf(key))));
}

void ExportTest::targetsAreNeverOverwritten()
{
    const QString taken = m_dir.filePath(QStringLiteral("taken.txt"));
    QFile file(taken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    Result result = run(m_store, nullptr, txt(), taken);
    QCOMPARE(int(result.status), int(Result::Status::Refused));
    QVERIFY2(result.message.contains(QStringLiteral("already there")), qPrintable(result.message));
    QCOMPARE(readAll(taken), QByteArray("keep me"));

    // A symbolic link is taken too, even one that points nowhere.
    const QString link = m_dir.filePath(QStringLiteral("link.txt"));
    QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("nowhere")), link));
    QCOMPARE(int(run(m_store, nullptr, txt(), link).status), int(Result::Status::Refused));
    QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("nowhere"))));

    result = run(m_store, nullptr, txt(), m_dir.filePath(QStringLiteral("no such folder/x.txt")));
    QCOMPARE(int(result.status), int(Result::Status::Refused));
    QVERIFY(!result.message.isEmpty());
}

void ExportTest::cancelLeavesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cancelled.txt"));
    qint64 calls = 0;
    const Result result = run(m_store, nullptr, txt(), path, [&](qint64 done, qint64 total) {
        ++calls;
        return !(done == 5 && total == 12);
    });
    QCOMPARE(int(result.status), int(Result::Status::Cancelled));
    QCOMPARE(calls, qint64(5));
    QCOMPARE(entries(dir.path()), QStringList());
}

void ExportTest::nameTakenMeanwhileIsKept()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("raced.txt"));
    bool made = false;
    const Result result = run(m_store, nullptr, txt(), path, [&](qint64, qint64) {
        if (!made) {
            QFile other(path);
            made = other.open(QIODevice::WriteOnly) && other.write("another program's") > 0;
        }
        return true;
    });
    QVERIFY(made);
    QCOMPARE(int(result.status), int(Result::Status::Failed));
    QCOMPARE(readAll(path), QByteArray("another program's"));
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("raced.txt")});
}

void ExportTest::folderTargets()
{
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty"));
    QVERIFY(QDir().mkdir(empty));
    QCOMPARE(int(ExportTarget::check(empty, true)), int(ExportTarget::Check::Free));
    QCOMPARE(int(ExportTarget::check(empty, false)), int(ExportTarget::Check::Exists));
    QCOMPARE(int(ExportTarget::check(dir.filePath(QStringLiteral("new")), true)), int(ExportTarget::Check::Free));

    // An empty folder takes what was built; the hidden temporary goes.
    {
        ExportTarget target(empty, true);
        QString why;
        QVERIFY2(target.open(&why), qPrintable(why));
        QFile page(target.folder() + QStringLiteral("/index.html"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html></html>");
        page.close();
        QVERIFY2(target.commit(&why), qPrintable(why));
    }
    QCOMPARE(entries(empty), QStringList{QStringLiteral("index.html")});
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("empty")});

    // Now it is not empty: refused, and a target given up removes its work.
    QCOMPARE(int(ExportTarget::check(empty, true)), int(ExportTarget::Check::FolderNotEmpty));
    {
        ExportTarget target(dir.filePath(QStringLiteral("abandoned")), true);
        QString why;
        QVERIFY(target.open(&why));
        QFile page(target.folder() + QStringLiteral("/index.html"));
        QVERIFY(page.open(QIODevice::WriteOnly));
    }
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("empty")});
}

void ExportTest::defaultNames()
{
    const QDate day(2026, 12, 9);
    QCOMPARE(defaultName(QStringLiteral("Berg Anna"), Format::Pdf, day), QStringLiteral("Berg Anna 2026-12-09.pdf"));
    QCOMPARE(defaultName(QString(), Format::Html, day), QStringLiteral("Messages 2026-12-09"));
    const QString hostile = defaultName(QStringLiteral("../../a/b\nc"), Format::Csv, day);
    QVERIFY2(!hostile.contains(QLatin1Char('/')) && !hostile.contains(QLatin1Char('\n')), qPrintable(hostile));
    QVERIFY(hostile.endsWith(QLatin1String("2026-12-09.csv")));
}

void ExportTest::localTimesAgreeWithQt()
{
    // The tests' zone had summer time from 1986 to 1991: every day of those
    // years, at hours around the changes, and times before 1970.
    QVector<qint64> times{0, -86400 * 400 + 1234, 1709647200, 4102444800};
    for (qint64 t = 504892800; t < 694224000; t += 86400 / 4 + 61)
        times.append(t);
    for (qint64 t : std::as_const(times)) {
        const QDateTime qt = QDateTime::fromSecsSinceEpoch(t);
        QCOMPARE(localTimeText(t), qt.toString(QStringLiteral("yyyy-MM-dd hh:mm")));
        QCOMPARE(localDate(t), qt.date());
    }
}

QTEST_GUILESS_MAIN(ExportTest)
#include "tst_export.moc"
