// Attachments on the chat page: thumbnails of every picture format (HEIC
// through libheif), broken and huge pictures as tiles, missing files, the
// decoders on random and truncated input, and the actions: open (a private
// 0600 copy handed to the viewer), "Save attachment…" and "Save all
// attachments…", from a plain and an encrypted backup folder.

#include "AttachmentActions.h"
#include "AttachmentFiles.h"
#include "AttachmentStrip.h"
#include "BackupBuilder.h"
#include "BubbleFrame.h"
#include "BubbleLabel.h"
#include "DemoPictures.h"
#include "MessageStore.h"
#include "ModernFixtures.h"
#include "PhoneBackup.h"
#include "ThumbnailCache.h"
#include "PictureDecoder.h"
#include "frame_page2.h"
#include "xdialogs.h"

#include "FuzzEntries.h"

#include <QApplication>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QImageWriter>
#include <QLineEdit>
#include <QMenu>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <functional>

using namespace views;
using namespace pictures;

namespace {

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xffffffffu;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray bigEndian(quint32 v)
{
    return QByteArray(1, char(v >> 24)) + char(v >> 16) + char(v >> 8) + char(v);
}

QByteArray chunk(const QByteArray& type, const QByteArray& data)
{
    return bigEndian(quint32(data.size())) + type + data + bigEndian(crc32(type + data));
}

// A PNG whose header claims the given size; its pixels never come.
QByteArray hugePng(quint32 width, quint32 height)
{
    const QByteArray header = bigEndian(width) + bigEndian(height) + QByteArray("\x08\x06\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", QByteArray(64, 'x')) +
           chunk("IEND", QByteArray());
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage sample(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(200, 60, 40));
    return image;
}

// Qt writes no GIF: two frames of 1 x 1 pixel, by hand.
QByteArray twoFrameGif()
{
    const QByteArray frame("!\xf9\x04\x00\x0a\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00",
                           23);
    return QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\xff", 19) + frame + frame + ";";
}

// A voice message of 7 seconds as the phone records it: Core Audio, AAC at
// 24 kHz (a description, a packet table and the packets).
QByteArray voiceMessage()
{
    auto be64 = [](quint64 v) { return bigEndian(quint32(v >> 32)) + bigEndian(quint32(v)); };
    auto cafChunk = [&](const char* type, const QByteArray& body) {
        return QByteArray(type, 4) + be64(quint64(body.size())) + body;
    };
    const double rate = 24000;
    quint64 rateBits = 0;
    std::memcpy(&rateBits, &rate, sizeof rateBits);
    const QByteArray desc = be64(rateBits) + QByteArray("aac ") + bigEndian(0) + bigEndian(0) + bigEndian(1024) +
                            bigEndian(1) + bigEndian(0);
    const QByteArray pakt = be64(167) + be64(168000) + bigEndian(2112) + bigEndian(0) + QByteArray(167, '\x06');
    return QByteArray("caff\x00\x01\x00\x00", 8) + cafChunk("desc", desc) + cafChunk("pakt", pakt) +
           cafChunk("data", bigEndian(1) + QByteArray(167 * 6, 'a'));
}

struct Kind
{
    const char* name;
    const char* mime;
    QByteArray content; // empty: not in the backup
};

QList<Kind> kinds()
{
    return {
        {"photo.jpg", "image/jpeg", encoded(sample(800, 600), "JPEG")},
        {"shot.png", "image/png", encoded(sample(300, 500), "PNG")},
        {"funny.gif", "image/gif", twoFrameGif()},
        {"IMG_0001.HEIC", "image/heic", demodata::demoPicture(7, demodata::PictureFormat::Heic)},
        {"broken.png", "image/png", encoded(sample(300, 300), "PNG").left(120)},
        {"huge.png", "image/png", hugePng(30000, 30000)},
        {"big.png", "image/png", hugePng(9000, 9000)},
        {"IMG_2000.HEIC", "image/heic", QByteArray()},
        {"Audio Message.caf", "audio/x-caf", voiceMessage()},
        {"ticket.pdf", "application/pdf", QByteArray("%PDF-1.7\n") + QByteArray(2000, 'p')},
    };
}

QString pathOf(int i)
{
    return QStringLiteral("Library/SMS/Attachments/%1/%1/G%1/").arg(i, 2, 10, QLatin1Char('0')) +
           QString::fromUtf8(kinds().at(i).name);
}

QString makeBackup(const QString& folder, bool encrypted)
{
    using namespace modernfixtures;
    Database db;
    db.handles = {{1, QStringLiteral("+12095981933"), QStringLiteral("iMessage"), QVariant()}};
    db.chats = {{1, QStringLiteral("+12095981933"), 45, QVariant(), {1}}};
    const QList<Kind> all = kinds();
    for (int i = 0; i < all.size(); ++i) {
        Attachment a;
        a.rowId = i + 1;
        a.transferName = QString::fromUtf8(all.at(i).name);
        a.filename = QStringLiteral("~/") + pathOf(i);
        a.columns = {{QStringLiteral("mime_type"), QString::fromUtf8(all.at(i).mime)},
                     {QStringLiteral("total_bytes"), qMax(1000, int(all.at(i).content.size()))}};
        db.attachments.append(a);
        Message m;
        m.rowId = i + 1;
        m.text = i == 0 ? QStringLiteral("Look \uFFFC") : QStringLiteral("\uFFFC");
        m.handle = 1;
        m.fromMe = i % 2;
        m.date = appleNanoseconds(1700000000 + i * 60);
        m.chats = {1};
        m.attachments = {i + 1};
        db.messages.append(m);
    }
    const QString dbPath = makeModernDb(folder + QStringLiteral(".sms.db"), db, Schema::Ios17);
    QFile dbFile(dbPath);
    dbFile.open(QIODevice::ReadOnly);
    QList<backupbuilder::PhoneFile> files{
        {QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/sms.db"), dbFile.readAll()}};
    for (int i = 0; i < all.size(); ++i) {
        if (!all.at(i).content.isEmpty())
            files.append({QStringLiteral("MediaDomain"), pathOf(i), all.at(i).content});
    }
    backupbuilder::Options options;
    options.encrypted = encrypted;
    options.password = "secret";
    backupbuilder::writeBackup(folder, files, options);
    return folder;
}

// Runs `action` once `ready` holds, polling from the event loop of
// whatever modal dialog or menu is open meanwhile.
void whenReady(std::function<bool()> ready, std::function<void()> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, ready, action] {
        if (!ready())
            return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start();
}

} // namespace

class AttachmentViewsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void decodesEveryPictureFormat();
    void refusesBrokenAndHugePictures();
    void randomAndTruncatedInput();
    void chatPageShowsThumbnailsAndTiles_data();
    void chatPageShowsThumbnailsAndTiles();
    void openSaveAndSaveAll_data();
    void openSaveAndSaveAll();

private:
    struct Shown
    {
        std::unique_ptr<phonebackup::PhoneBackup> backup;
        std::unique_ptr<MessageStore> store;
        std::unique_ptr<AttachmentFiles> files;
        std::unique_ptr<frame_page2> page;
    };
    void show(bool encrypted, Shown* s);

    QTemporaryDir m_dir;
    QString m_plain;
    QString m_encrypted;
};

void AttachmentViewsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(demodata::hasHeicEncoder(), "libheif has no HEVC encoder here");
    m_plain = makeBackup(m_dir.filePath(QStringLiteral("plain")), false);
    m_encrypted = makeBackup(m_dir.filePath(QStringLiteral("encrypted")), true);
    shellkit::DialogSeam::activate();
}

void AttachmentViewsTest::cleanup()
{
    AttachmentActions::setUrlOpener({});
    shellkit::DialogSeam::reset();
}

void AttachmentViewsTest::decodesEveryPictureFormat()
{
    const QSize bound = ThumbnailCache::bound();
    QString why;
    const QString path = m_dir.filePath(QStringLiteral("picture"));
    auto decodeBytes = [&](const QByteArray& bytes) {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        f.close();
        why.clear();
        return decodePicture(path, bound, &why);
    };
    const QImage jpeg = decodeBytes(kinds().at(0).content);
    QVERIFY2(!jpeg.isNull(), qPrintable(why));
    QCOMPARE(jpeg.size(), QSize(480, 360)); // aspect kept, within the bound
    QCOMPARE(decodeBytes(kinds().at(1).content).size(), QSize(216, 360));
    const QImage gif = decodeBytes(kinds().at(2).content); // the first frame, never enlarged
    QCOMPARE(gif.size(), QSize(1, 1));
    QCOMPARE(QColor(gif.pixel(0, 0)), QColor(Qt::red));

    const QImage heic = decodeBytes(kinds().at(3).content);
    QVERIFY2(!heic.isNull(), qPrintable(why));
    QVERIFY(heic.width() <= bound.width() && heic.height() <= bound.height());
    QVERIFY(looksLikeHeif(kinds().at(3).content));
    QVERIFY(!looksLikeHeif(kinds().at(0).content));

    // The image plugins' formats, where this system has them.
    for (const char* format : {"WEBP", "TIFF"}) {
        if (!QImageWriter::supportedImageFormats().contains(QByteArray(format).toLower()))
            continue;
        const QImage image = decodeBytes(encoded(sample(64, 32), format));
        QVERIFY2(image.size() == QSize(64, 32), format);
    }
}

void AttachmentViewsTest::refusesBrokenAndHugePictures()
{
    const QSize bound = ThumbnailCache::bound();
    const QList<Kind> all = kinds();
    for (int i : {4, 5, 6}) {
        const QString path = m_dir.filePath(QString::fromUtf8(all.at(i).name));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(all.at(i).content);
        f.close();
        QString why;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(decodePicture(path, bound, &why).isNull());
        QVERIFY2(!why.isEmpty(), all.at(i).name);
    }
    QString why;
    QVERIFY(decodeHeif(QByteArray("\0\0\0\x18"
                                  "ftypheic\0\0\0\0mif1heic",
                                  24),
                       bound, &why)
                .isNull());
    QVERIFY(!why.isEmpty());
    QVERIFY(decodePicture(m_dir.filePath(QStringLiteral("no such file")), bound, &why).isNull());
}

void AttachmentViewsTest::randomAndTruncatedInput()
{
    // The fuzz target's entry on truncations of a real HEIC and on noise.
    const QByteArray heic = kinds().at(3).content;
    for (int cut = 0; cut < heic.size(); cut += qMax(1, int(heic.size() / 97)))
        fuzzentries::heif(reinterpret_cast<const uint8_t*>(heic.constData()), size_t(cut));
    QRandomGenerator rnd(20);
    for (int round = 0; round < 200; ++round) {
        QByteArray noise = heic.left(32);
        const int extra = int(rnd.bounded(2000));
        for (int i = 0; i < extra; ++i)
            noise.append(char(rnd.bounded(256)));
        // Flipped bytes inside a valid file.
        QByteArray flipped = heic;
        for (int k = 0; k < 8; ++k)
            flipped[int(rnd.bounded(quint32(flipped.size())))] = char(rnd.bounded(256));
        fuzzentries::heif(reinterpret_cast<const uint8_t*>(noise.constData()), size_t(noise.size()));
        fuzzentries::heif(reinterpret_cast<const uint8_t*>(flipped.constData()), size_t(flipped.size()));
    }
}

void AttachmentViewsTest::show(bool encrypted, Shown* s)
{
    s->backup = std::make_unique<phonebackup::PhoneBackup>(encrypted ? m_encrypted : m_plain);
    if (encrypted)
        QCOMPARE(s->backup->unlock("secret"), phonebackup::UnlockResult::Unlocked);
    ReadOptions options;
    options.access = StoreAccess::ReadOnly;
    s->store = std::make_unique<MessageStore>(s->backup->phoneDatabases().messages.path.toUtf8(), options);
    s->store->buildConversationList();
    s->files = attachmentfiles::ofPhoneBackup(s->backup.get());
    s->page = std::make_unique<frame_page2>(nullptr);
    s->page->resize(480, 700);
    s->page->show();
    s->page->setAttachmentFiles(s->files.get());
    s->store->selectConversation("+12095981933");
    s->page->loadConversation(s->store.get());
}

void AttachmentViewsTest::chatPageShowsThumbnailsAndTiles_data()
{
    QTest::addColumn<bool>("encrypted");
    QTest::newRow("plain") << false;
    QTest::newRow("encrypted") << true;
}

void AttachmentViewsTest::chatPageShowsThumbnailsAndTiles()
{
    QFETCH(bool, encrypted);
    Shown s;
    show(encrypted, &s);
    ThumbnailCache& cache = s.page->thumbnails();
    const QList<Kind> all = kinds();
    using State = ThumbnailCache::State;
    const State expected[] = {State::Ready,  State::Ready,  State::Ready,   State::Ready,  State::Failed,
                              State::Failed, State::Failed, State::Missing, State::Failed, State::Failed};
    for (int i = 0; i < all.size(); ++i) {
        const AttachmentRecord a = s.store->attachmentsOf(i + 1).at(0);
        State state = State::Pending;
        QTRY_VERIFY_WITH_TIMEOUT((cache.thumbnail(a, &state), state != State::Pending), 20000);
        QVERIFY2(state == expected[i], all.at(i).name);
    }
    QVERIFY(cache.memoryUsed() > 0);
    QVERIFY(cache.memoryUsed() < 8 * 1024 * 1024);

    // The strips on screen: each message's below its bubble, the heights
    // the page counted for them.
    const QList<AttachmentStrip*> strips = s.page->findChildren<AttachmentStrip*>();
    QVERIFY(!strips.isEmpty());
    for (AttachmentStrip* strip : strips) {
        if (strip->isHidden())
            continue;
        QCOMPARE(strip->height(), AttachmentStrip::heightFor(strip->attachments()));
        QVERIFY(!strip->grab().isNull());
    }

    // The bubbles say nothing of the names the tiles show: a picture alone
    // has no bubble, and its strip lies right under the date.
    int shownBubbles = 0;
    for (BubbleFrame* bubble : s.page->findChildren<BubbleFrame*>()) {
        if (bubble->isHidden())
            continue;
        ++shownBubbles;
        const auto* label = bubble->findChild<BubbleLabel*>();
        QVERIFY(label);
        QVERIFY2(!label->content().text.contains(QLatin1Char('[')), qPrintable(label->content().text));
        QVERIFY(
            bubble->messageText().startsWith(bubble->rowId() == 1 ? QStringLiteral("Look [") : QStringLiteral("[")));
        if (bubble->rowId() == 1) {
            QCOMPARE(label->content().text, QStringLiteral("Look"));
            QVERIFY(bubble->height() > 0);
        } else {
            QCOMPARE(bubble->height(), 0);
            QCOMPARE(bubble->dateLabel()->geometry().bottom() + 1, bubble->geometry().top());
        }
        bool stripBelow = false;
        for (AttachmentStrip* strip : strips)
            stripBelow =
                stripBelow || (!strip->isHidden() && strip->geometry().top() == bubble->geometry().bottom() + 1);
        QVERIFY(stripBelow);
    }
    QVERIFY(shownBubbles > 0);

    // The voice message's tile says how long it plays once its header is read.
    AttachmentStrip* voice = nullptr;
    for (AttachmentStrip* strip : strips) {
        if (!strip->isHidden() && strip->attachments().at(0).kind() == AttachmentRecord::Kind::Voice)
            voice = strip;
    }
    QVERIFY(voice);
    QTRY_COMPARE_WITH_TIMEOUT(voice->tileTitle(0), QStringLiteral("Voice message \u00b7 0:07"), 20000);
    State voiceState = State::Pending;
    QCOMPARE(cache.duration(voice->attachments().at(0), &voiceState), 7000);
    QCOMPARE(voiceState, State::Ready);
    // Other kinds have none, and a file the source lacks says so.
    QCOMPARE(cache.duration(s.store->attachmentsOf(1).at(0), &voiceState), -1);
    QCOMPARE(voiceState, State::Failed);
    QCOMPARE(cache.duration(s.store->attachmentsOf(8).at(0), &voiceState), -1);
    QCOMPARE(voiceState, State::Missing);

    // The memory bound holds: a tiny bound keeps at most one thumbnail.
    cache.setMemoryBound(600 * 1024);
    QVERIFY(cache.memoryUsed() <= 600 * 1024);
    s.page->setAttachmentFiles(nullptr);
}

void AttachmentViewsTest::openSaveAndSaveAll_data()
{
    QTest::addColumn<bool>("encrypted");
    QTest::newRow("plain") << false;
    QTest::newRow("encrypted") << true;
}

void AttachmentViewsTest::openSaveAndSaveAll()
{
    QFETCH(bool, encrypted);
    Shown s;
    show(encrypted, &s);
    QList<QUrl> opened;
    AttachmentActions::setUrlOpener([&opened](const QUrl& url) {
        opened.append(url);
        return true;
    });

    // A picture on screen (the newest messages are).
    AttachmentStrip* strip = nullptr;
    int index = -1;
    const QList<Kind> all = kinds();
    for (AttachmentStrip* st : s.page->findChildren<AttachmentStrip*>()) {
        for (int i = 0; i < all.size() && !strip; ++i) {
            if (!st->isHidden() && st->attachments().at(0).name == all.at(i).name && !all.at(i).content.isEmpty()) {
                strip = st;
                index = i;
            }
        }
    }
    QVERIFY(strip);
    const QString name = QString::fromUtf8(all.at(index).name);
    const QByteArray content = all.at(index).content;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString numbered = name.left(dot) + QStringLiteral(" (1)") + name.mid(dot);

    // Double-click opens a private copy, readable by the user alone.
    QTest::mouseDClick(strip, Qt::LeftButton, {}, strip->tileRect(0).center());
    QCOMPARE(opened.size(), 1);
    const QString copy = opened.at(0).toLocalFile();
    QVERIFY(copy.startsWith(s.page->attachmentActions().openedCopiesFolder()));
    QCOMPARE(QFileInfo(copy).fileName(), name);
    QFile copied(copy);
    QVERIFY(copied.open(QIODevice::ReadOnly));
    QCOMPARE(copied.readAll(), content);
    QCOMPARE(QFileInfo(copy).permissions() &
                 (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther),
             QFileDevice::Permissions());
    // Enter opens it too.
    strip->setFocus();
    QTest::keyClick(strip, Qt::Key_Return);
    QCOMPARE(opened.size(), 2);

    // "Save attachment…" from the context menu, into a folder where the
    // name is taken: the file there stays, the new one is numbered.
    const QString target = m_dir.filePath(QStringLiteral("saved-%1").arg(encrypted));
    QDir(target).removeRecursively();
    QDir().mkpath(target);
    QFile taken(target + QLatin1Char('/') + name);
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.write("mine");
    taken.close();
    bool menuSeen = false;
    whenReady([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
              [&] {
                  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                  menuSeen = menu->findChild<QAction*>(QStringLiteral("actionSaveAllAttachments")) != nullptr;
                  QAction* save = menu->findChild<QAction*>(QStringLiteral("actionSaveAttachment"));
                  menu->setActiveAction(save);
                  QTest::keyClick(menu, Qt::Key_Return);
              });
    whenReady([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr; },
              [&] {
                  auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                  dialog->selectFile(target + QLatin1Char('/') + name);
                  QMetaObject::invokeMethod(dialog, "accept");
              });
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, strip->tileRect(0).center(),
                                strip->mapToGlobal(strip->tileRect(0).center()));
    QApplication::sendEvent(strip, &menuEvent);
    QVERIFY(menuSeen);
    QTRY_VERIFY(QFileInfo::exists(target + QLatin1Char('/') + numbered));
    QFile saved(target + QLatin1Char('/') + numbered);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), content);
    QFile kept(target + QLatin1Char('/') + name);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("mine"));

    // "Save all attachments…": every present file of the conversation.
    const QString allFolder = m_dir.filePath(QStringLiteral("all-%1").arg(encrypted));
    QDir(allFolder).removeRecursively();
    QDir().mkpath(allFolder);
    whenReady([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr; },
              [&] {
                  auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                  // The name field decides what the dialog answers; the
                  // folder view fills in as it likes.
                  dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(allFolder);
                  QMetaObject::invokeMethod(dialog, "accept");
              });
    shellkit::DialogSeam::pushAnswer(0);
    const QStringList written = s.page->saveAllAttachments();
    QCOMPARE(written.size(), 9);
    QCOMPARE(QFileInfo(written.at(0)).absolutePath(), QFileInfo(allFolder).absoluteFilePath());
    QCOMPARE(shellkit::DialogSeam::shown().last().text,
             QStringLiteral("9 attachment(s) saved.\n1 not in this backup."));
    for (const Kind& k : all) {
        QFile f(allFolder + QLatin1Char('/') + QString::fromUtf8(k.name));
        if (k.content.isEmpty()) {
            QVERIFY(!f.exists());
            continue;
        }
        QVERIFY2(f.open(QIODevice::ReadOnly), k.name);
        QCOMPARE(f.readAll(), k.content);
    }
    s.page->setAttachmentFiles(nullptr);
}

QTEST_MAIN(AttachmentViewsTest)
#include "tst_attachmentviews.moc"
