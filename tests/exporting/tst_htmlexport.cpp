// The html export: a folder of pages that shows the messages as the chat
// page does, where no text from the phone becomes markup, every link stays
// inside the folder, and attachments are copied under safe names (HEIC and
// other pictures browsers cannot show converted to JPEG).

#include "DemoPictures.h"
#include "Export.h"
#include "ExportFixture.h"
#include "HtmlPage.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using namespace exporting;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

Options htmlOptions(bool attachments = true)
{
    Options o;
    o.format = Format::Html;
    o.includeAttachments = attachments;
    return o;
}

// Every html file of the folder, by its name relative to the folder.
QMap<QString, QByteArray> pagesOf(const QString& folder)
{
    QMap<QString, QByteArray> pages;
    QDirIterator it(folder, {QStringLiteral("*.html")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        pages.insert(QDir(folder).relativeFilePath(path), readAll(path));
    }
    return pages;
}

// The values of every href and src attribute, entities resolved.
QStringList linksOf(const QByteArray& page)
{
    static const QRegularExpression attribute(QStringLiteral("\\s(?:href|src)\\s*=\\s*\"([^\"]*)\""));
    QStringList links;
    auto it = attribute.globalMatch(QString::fromUtf8(page));
    while (it.hasNext()) {
        QString value = it.next().captured(1);
        value.replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&#39;"), QLatin1String("'"))
            .replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
        links.append(value);
    }
    return links;
}

} // namespace

class HtmlExportTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void textHelpers_data();
    void textHelpers();
    void pagesAreSelfContained();
    void markupInTheDataStaysText();
    void textsSurviveByteExact_data();
    void textsSurviveByteExact();
    void bubblesSendersReactionsAndDays();
    void editedAndUnsent();
    void indexListsTheConversations();
    void linksResolveInsideTheFolder();
    void hostileAttachmentNameStaysInside();
    void missingAndUncopiedAttachmentsAreNamed();
    void picturesTheBrowserCannotShowBecomeJpeg_data();
    void picturesTheBrowserCannotShowBecomeJpeg();
    void withoutAttachmentsNothingIsCopied();
    void cancelLeavesNothing();
    void nonEmptyFolderIsRefused();

private:
    // Exports the store into a new folder "out" of a fresh temporary folder.
    Result exportTo(const Options& options, AttachmentFiles* files, const Progress& progress = {});
    QByteArray pageOf(const QString& name);

    MessageStore m_store;
    exportfixture::InMemoryFiles m_files;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_out;
};

void HtmlExportTest::init()
{
    m_store.clear();
    exportfixture::fill(m_store);
    exportfixture::addContent(m_files);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_out = m_dir->filePath(QStringLiteral("out"));
}

Result HtmlExportTest::exportTo(const Options& options, AttachmentFiles* files, const Progress& progress)
{
    return exporting::run(m_store, files, options, m_out, progress);
}

// The page of the conversation shown as `name` in the index.
QByteArray HtmlExportTest::pageOf(const QString& name)
{
    const QString index = QString::fromUtf8(readAll(m_out + QStringLiteral("/index.html")));
    const QRegularExpression entry(QStringLiteral("<a href=\"([^\"]+)\"><span class=\"name\">") +
                                   QRegularExpression::escape(name) + QLatin1Char('<'));
    const QRegularExpressionMatch match = entry.match(index);
    return match.hasMatch() ? readAll(m_out + QLatin1Char('/') + match.captured(1)) : QByteArray();
}

void HtmlExportTest::textHelpers_data()
{
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("expected");
    QTest::newRow("escaped") << html::escaped(QStringLiteral("<a href='x'>\"&\"</a>"))
                             << QStringLiteral("&lt;a href=&#39;x&#39;&gt;&quot;&amp;&quot;&lt;/a&gt;");
    QTest::newRow("breaks") << html::messageText(QStringLiteral("a\r\nb\nc\rd\n\ne"))
                            << QStringLiteral("a<br>b<br>c<br>d<br><br>e");
    QTest::newRow("placeholders") << html::messageText(QStringLiteral("\ufffcLook\ufffc <i>"))
                                  << QStringLiteral("Look &lt;i&gt;");
    QTest::newRow("url") << html::relativeUrl(QStringLiteral("attachments"), QStringLiteral("a b#1?%/é\".jpg"))
                         << QStringLiteral("attachments/a%20b%231%3F%25%2F%C3%A9%22.jpg");
}

void HtmlExportTest::textHelpers()
{
    QFETCH(QString, result);
    QFETCH(QString, expected);
    QCOMPARE(result, expected);
}

void HtmlExportTest::pagesAreSelfContained()
{
    const Result result = exportTo(htmlOptions(), &m_files);
    QCOMPARE(result.status, Result::Status::Written);
    QCOMPARE(result.openPath, m_out + QStringLiteral("/index.html"));
    const QMap<QString, QByteArray> pages = pagesOf(m_out);
    QCOMPARE(pages.keys(),
             QStringList({QStringLiteral("conversation-0001.html"), QStringLiteral("conversation-0002.html"),
                          QStringLiteral("conversation-0003.html"), QStringLiteral("index.html")}));
    for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
        const QByteArray& page = it.value();
        QVERIFY2(page.startsWith("<!DOCTYPE html>\n<html lang=\""), qPrintable(it.key()));
        QVERIFY(page.contains("<meta charset=\"utf-8\">"));
        QVERIFY(page.contains("http-equiv=\"Content-Security-Policy\" content=\"default-src 'none';"));
        QVERIFY(page.contains("@media print"));
        QVERIFY(page.endsWith("</html>\n"));
        // Nothing is loaded from elsewhere and nothing runs.
        QVERIFY2(!page.toLower().contains("<script"), qPrintable(it.key()));
        QVERIFY(!page.contains("<link"));
        QVERIFY(!page.contains("@import"));
        QVERIFY(!page.contains("url("));
        for (const QString& link : linksOf(page))
            QVERIFY2(!link.contains(QLatin1Char(':')) && !link.startsWith(QLatin1Char('/')), qPrintable(link));
    }
}

void HtmlExportTest::markupInTheDataStaysText()
{
    QCOMPARE(exportTo(htmlOptions(), &m_files).status, Result::Status::Written);
    const QByteArray group = pageOf(QStringLiteral("Family"));
    QVERIFY(group.contains("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &lt;b&gt;bold&lt;/b&gt;"));
    QVERIFY(!group.contains("<b>bold"));
    // The hostile attachment's name, shown as its picture's alternative text.
    QVERIFY(group.contains("alt=\"../../etc/passwd\n&lt;img src=x&gt;.jpg\""));
    QVERIFY(!group.contains("<img src=x"));
    const QByteArray anna = pageOf(QStringLiteral("Berg Anna"));
    QVERIFY(anna.contains("Sure, &quot;at 8&quot;, see you<br>second line"));
}

void HtmlExportTest::textsSurviveByteExact_data()
{
    QTest::addColumn<QString>("conversation");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("accents") << "Berg Anna"
                             << QByteArray("Caf\xc3\xa9 at 8? cr\xc3\xa8me br\xc3\xbbl\xc3\xa9"
                                           "e for you");
    QTest::newRow("cjk and emoji") << "Family"
                                   << QByteArray("\xe6\x88\x91\xe4\xbb\xac\xe6\x98\x8e\xe5\xa4\xa9\xe8\xa7\x81 "
                                                 "\xf0\x9f\x98\x80");
    QTest::newRow("right to left") << "Berg Anna"
                                   << QByteArray("\xe2\x80\x8f\xd9\x85\xd8\xb1\xd8\xad\xd8\xa8\xd8\xa7 "
                                                 "\xf0\x9f\x91\x8b\xf0\x9f\x8f\xbd");
    QTest::newRow("tab and crlf") << "Berg Anna" << QByteArray("a,b;c<br>d\te");
    QTest::newRow("unnamed number") << "10086" << QByteArray("Your code is 1234, valid 5 min");
}

void HtmlExportTest::textsSurviveByteExact()
{
    QFETCH(QString, conversation);
    QFETCH(QByteArray, bytes);
    QCOMPARE(exportTo(htmlOptions(), &m_files).status, Result::Status::Written);
    const QByteArray page = pageOf(conversation);
    QVERIFY2(!page.isEmpty(), qPrintable(conversation));
    QVERIFY(page.contains("<div class=\"text\">" + bytes + "</div>"));
}

void HtmlExportTest::bubblesSendersReactionsAndDays()
{
    QCOMPARE(exportTo(htmlOptions(), &m_files).status, Result::Status::Written);
    const QByteArray group = pageOf(QStringLiteral("Family"));
    // Group senders are named on their bubbles; the sent message is not.
    QCOMPARE(group.count("<div class=\"who "), 3);
    QVERIFY(group.contains("\">Jonas</div><div class=\"text\">&lt;script&gt;"));
    QVERIFY(group.contains("\">mia@example.org</div><div class=\"text\">\xe6\x88\x91"));
    QVERIFY(
        group.contains("<div class=\"msg out\"><div class=\"wrap\"><div class=\"bubble\"><div class=\"text\">Look"));
    // Two people loved the first message; one liked the second.
    QVERIFY(group.contains(
        "<div class=\"react\"><span class=\"p\">\xe2\x9d\xa4\xef\xb8\x8f<span class=\"n\">2</span></span></div>"));
    QVERIFY(group.contains("<div class=\"react\"><span class=\"p\">\xf0\x9f\x91\x8d</span></div>"));
    QCOMPARE(group.count("class=\"react\""), 2);

    const QByteArray anna = pageOf(QStringLiteral("Berg Anna"));
    QVERIFY(!anna.contains("class=\"who"));
    // Oldest first, with a line for each of the three days and local times.
    QCOMPARE(anna.count("<div class=\"day\">"), 3);
    const qsizetype first = anna.indexOf("Caf\xc3\xa9");
    const qsizetype last = anna.indexOf("last one");
    QVERIFY(first > 0 && last > first);
    QVERIFY(anna.contains("<div class=\"msg in\"><div class=\"wrap\"><div class=\"bubble\"><div class=\"text\">Caf"));
    QVERIFY(anna.contains("<div class=\"msg out\"><div class=\"wrap\"><div class=\"bubble\"><div class=\"text\">last"));
    QVERIFY(anna.contains("title=\"2024-03-05 22:00\">22:00</div>"));
    QVERIFY(anna.contains("title=\"2024-03-07 22:03\">22:03</div>"));
}

void HtmlExportTest::editedAndUnsent()
{
    for (MessageRecord& m : m_store.messages) {
        if (m.rowId == 12)
            m.flags = MessageRecord::Edited;
        if (m.rowId == 2) {
            m.flags = MessageRecord::Unsent;
            m.text = "You unsent a message";
        }
    }
    QCOMPARE(exportTo(htmlOptions(), &m_files).status, Result::Status::Written);
    const QByteArray anna = pageOf(QStringLiteral("Berg Anna"));
    QVERIFY(anna.contains("<div class=\"text\">last one</div><div class=\"edited\">Edited</div>"));
    QCOMPARE(anna.count("<div class=\"edited\">"), 1);
    QVERIFY(anna.contains("<div class=\"msg out unsent\"><div class=\"wrap\"><div class=\"bubble\"><div "
                          "class=\"text\">You unsent a message</div>"));
    QCOMPARE(anna.count("unsent\">"), 1);
}

void HtmlExportTest::indexListsTheConversations()
{
    QCOMPARE(exportTo(htmlOptions(), &m_files).status, Result::Status::Written);
    const QString index = QString::fromUtf8(readAll(m_out + QStringLiteral("/index.html")));
    // The list's order (latest conversation first), with key, count and latest time.
    const QRegularExpression entry(QStringLiteral("<li><a href=\"([^\"]+)\"><span class=\"name\">([^<]*)</span><span "
                                                  "class=\"latest\">([^<]*)</span><span class=\"key\">([^<]*)</span>"
                                                  "<span class=\"count\">([^<]*)</span></a></li>"));
    QStringList rows;
    auto it = entry.globalMatch(index);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        rows.append(QStringList({m.captured(1), m.captured(2), m.captured(3), m.captured(4), m.captured(5)})
                        .join(QLatin1Char('|')));
    }
    QCOMPARE(rows, QStringList({
                       "conversation-0001.html|Berg Anna|2024-03-07 22:03|+4915112345678|6 messages",
                       "conversation-0002.html|10086|2024-03-07 22:01|10086|2 messages",
                       "conversation-0003.html|Family|2024-03-06 22:03|chat123456|4 messages",
                   }));
    QVERIFY(index.contains(QStringLiteral("3 conversations \u00b7 12 messages")));

    // One conversation gives an index of one.
    QVERIFY(QDir(m_out).removeRecursively());
    Options one = htmlOptions();
    one.selection.scope = Selection::Scope::OneConversation;
    one.selection.conversation = exportfixture::kGroup;
    const Result result = exportTo(one, &m_files);
    QCOMPARE(result.status, Result::Status::Written);
    QCOMPARE(result.messages, 4);
    QCOMPARE(pagesOf(m_out).size(), 2);
    QVERIFY(readAll(m_out + QStringLiteral("/index.html")).contains("<span class=\"name\">Family</span>"));
}

void HtmlExportTest::linksResolveInsideTheFolder()
{
    QCOMPARE(exportTo(htmlOptions(), &m_files).status, Result::Status::Written);
    const QString root = QDir(m_out).canonicalPath() + QLatin1Char('/');
    const QMap<QString, QByteArray> pages = pagesOf(m_out);
    int links = 0;
    for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
        const QString pageFolder = QFileInfo(m_out + QLatin1Char('/') + it.key()).absolutePath();
        for (const QString& link : linksOf(it.value())) {
            const QString decoded = QUrl::fromPercentEncoding(link.toUtf8());
            QVERIFY2(!decoded.split(QLatin1Char('/')).contains(QStringLiteral("..")), qPrintable(link));
            const QFileInfo target(pageFolder + QLatin1Char('/') + decoded);
            QVERIFY2(target.isFile(), qPrintable(it.key() + QStringLiteral(": ") + link));
            QVERIFY2(target.canonicalFilePath().startsWith(root), qPrintable(link));
            ++links;
        }
    }
    // Three pages, a back link on each, two pictures (a link and a source
    // each) and the document.
    QCOMPARE(links, 3 + 3 + 2 * 2 + 1);
    // Pictures the browser shows are copied as they are.
    QCOMPARE(readAll(m_out + QStringLiteral("/attachments/IMG_0001.JPG")).left(3), QByteArray("\xff\xd8\xff"));
    QCOMPARE(readAll(m_out + QStringLiteral("/attachments/report.pdf")), QByteArray("%PDF-1.4 not really\n"));
    QVERIFY(pageOf(QStringLiteral("Family"))
                .contains("<a class=\"att pic\" href=\"attachments/IMG_0001.JPG\"><img loading=\"lazy\" "
                          "src=\"attachments/IMG_0001.JPG\" alt=\"IMG_0001.JPG\" width=\"64\" height=\"48\"></a>"));
}

void HtmlExportTest::hostileAttachmentNameStaysInside()
{
    QCOMPARE(exportTo(htmlOptions(), &m_files).status, Result::Status::Written);
    // Nothing beside the export, and in it only what it is made of.
    QCOMPARE(entries(m_dir->path()), QStringList({QStringLiteral("out")}));
    const QStringList files = entries(m_out + QStringLiteral("/attachments"));
    QCOMPARE(files.size(), 3);
    QVERIFY(files.contains(QStringLiteral("IMG_0001.JPG")));
    QVERIFY(files.contains(QStringLiteral("report.pdf")));
    for (const QString& name : files) {
        QVERIFY2(!name.startsWith(QLatin1Char('.')) && !name.contains(QLatin1Char('\n')), qPrintable(name));
        QVERIFY(QFileInfo(m_out + QStringLiteral("/attachments/") + name).isFile());
    }
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("etc"))));
}

void HtmlExportTest::missingAndUncopiedAttachmentsAreNamed()
{
    QCOMPARE(exportTo(htmlOptions(), &m_files).status, Result::Status::Written);
    const QByteArray anna = pageOf(QStringLiteral("Berg Anna"));
    QVERIFY(anna.contains("<span class=\"att file missing\">IMG_0002.HEIC \xe2\x80\x94 not in this backup</span>"));
    QVERIFY(!anna.contains("<img"));
}

void HtmlExportTest::picturesTheBrowserCannotShowBecomeJpeg_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<bool>("decodes");
    QTest::newRow("heic") << QByteArray("heic") << true;
    QTest::newRow("tiff") << QByteArray("tiff") << true;
    QTest::newRow("damaged heic") << QByteArray("heic") << false;
}

void HtmlExportTest::picturesTheBrowserCannotShowBecomeJpeg()
{
    QFETCH(QByteArray, format);
    QFETCH(bool, decodes);
    QByteArray content;
    QSize size;
    if (format == "heic") {
        if (!demodata::hasHeicEncoder())
            QSKIP("libheif has no HEVC encoder here");
        content = demodata::demoPicture(3, demodata::PictureFormat::Heic);
        size = QImage::fromData(demodata::demoPicture(3, demodata::PictureFormat::Png)).size();
    } else {
        if (!QImageWriter::supportedImageFormats().contains("tiff"))
            QSKIP("Qt has no TIFF writer here");
        QImage picture(120, 90, QImage::Format_RGB32);
        picture.fill(QColor(200, 80, 40));
        QBuffer buffer(&content);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(picture.save(&buffer, "TIFF"));
        size = picture.size();
    }
    QVERIFY(!content.isEmpty());
    if (!decodes)
        content = content.left(content.size() / 3);
    m_files.add("Library/SMS/Attachments/03/IMG_0002.HEIC", content);

    QCOMPARE(exportTo(htmlOptions(), &m_files).status, Result::Status::Written);
    const QByteArray anna = pageOf(QStringLiteral("Berg Anna"));
    // The original is kept as it came.
    QCOMPARE(readAll(m_out + QStringLiteral("/attachments/IMG_0002.HEIC")), content);
    if (!decodes) {
        QVERIFY(!anna.contains("<img"));
        QVERIFY(anna.contains("<a class=\"att file\" href=\"attachments/IMG_0002.HEIC\">IMG_0002.HEIC<span"));
        QVERIFY(!QFileInfo::exists(m_out + QStringLiteral("/attachments/IMG_0002.jpg")));
        return;
    }
    // Shown at most 320 pixels wide and high, so that the bubble fits it.
    const QSize shown = size.width() > 320 || size.height() > 320 ? size.scaled(320, 320, Qt::KeepAspectRatio) : size;
    QVERIFY(
        anna.contains(QStringLiteral("<a class=\"att pic\" href=\"attachments/IMG_0002.HEIC\"><img loading=\"lazy\" "
                                     "src=\"attachments/IMG_0002.jpg\" alt=\"IMG_0002.HEIC\" width=\"%1\" "
                                     "height=\"%2\"></a>")
                          .arg(shown.width())
                          .arg(shown.height())
                          .toUtf8()));
    const QByteArray jpeg = readAll(m_out + QStringLiteral("/attachments/IMG_0002.jpg"));
    QVERIFY(jpeg.startsWith("\xff\xd8\xff"));
    QCOMPARE(QImage::fromData(jpeg, "JPEG").size(), size);
}

void HtmlExportTest::withoutAttachmentsNothingIsCopied()
{
    QCOMPARE(exportTo(htmlOptions(false), &m_files).status, Result::Status::Written);
    QVERIFY(!QFileInfo::exists(m_out + QStringLiteral("/attachments")));
    QCOMPARE(entries(m_out).size(), 4);
    const QByteArray group = pageOf(QStringLiteral("Family"));
    QVERIFY(!group.contains("<img"));
    QVERIFY(group.contains("<span class=\"att file\">IMG_0001.JPG</span><span class=\"att file\">report.pdf</span>"));
    // The placeholders of the attachments are gone from the text.
    QVERIFY(group.contains("<div class=\"text\">Look</div>"));
    QVERIFY(!group.contains("\xef\xbf\xbc"));
}

void HtmlExportTest::cancelLeavesNothing()
{
    qint64 seen = 0;
    const Result result = exportTo(htmlOptions(), &m_files, [&](qint64 done, qint64 total) {
        seen = done;
        return done < total - 2;
    });
    QCOMPARE(result.status, Result::Status::Cancelled);
    QCOMPARE(seen, 10);
    QVERIFY(entries(m_dir->path()).isEmpty());
}

void HtmlExportTest::nonEmptyFolderIsRefused()
{
    QVERIFY(QDir().mkpath(m_out));
    QFile keep(m_out + QStringLiteral("/notes.txt"));
    QVERIFY(keep.open(QIODevice::WriteOnly) && keep.write("mine") == 4);
    keep.close();
    const Result result = exportTo(htmlOptions(), &m_files);
    QCOMPARE(result.status, Result::Status::Refused);
    QVERIFY(!result.message.isEmpty());
    QCOMPARE(entries(m_out), QStringList({QStringLiteral("notes.txt")}));
    QCOMPARE(readAll(m_out + QStringLiteral("/notes.txt")), QByteArray("mine"));
    QCOMPARE(entries(m_dir->path()), QStringList({QStringLiteral("out")}));

    // An empty folder is a fine target.
    QVERIFY(QFile::remove(m_out + QStringLiteral("/notes.txt")));
    QCOMPARE(exportTo(htmlOptions(), &m_files).status, Result::Status::Written);
    QVERIFY(QFileInfo(m_out + QStringLiteral("/index.html")).isFile());
}

QTEST_GUILESS_MAIN(HtmlExportTest)
#include "tst_htmlexport.moc"
