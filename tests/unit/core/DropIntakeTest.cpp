#include "capture/DropIntake.h"
#include "support/BrowserNotes.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

namespace kelvo {
namespace {

// Bytes a text conversion would damage: zeros, CR LF, bytes above 0x7F.
const QByteArray kJpeg("\xFF\xD8\xFF\xE0\0\x10JFIF\0\r\n\x80\xFF\xD9", 17);
const QByteArray kPng("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\x01", 18);

using testing::ChromiumCustomDataBlob;
using testing::NoteJson;
using testing::ReadBytes;
using testing::Utf16;

// What a file that cannot be read shows as, unlike the bytes of any drop.
const QByteArray kUnreadable("(unreadable)");

QString NameOf(const DroppedFile& file) {
    return QFileInfo(file.path).fileName();
}

void ChromiumDrop(QMimeData& mime, const QByteArray& url, const QByteArray& bytes) {
    mime.setData("text/uri-list", url + "\r\n");
    mime.setData("application/octet-stream", bytes);
    mime.setData("text/html", "<meta charset='utf-8'><img src=\"" + url + "\" alt=\"\">");
}

constexpr auto kPromisedName = "application/x-moz-file-promise-dest-filename";
constexpr auto kPromisedUrl = "application/x-moz-file-promise-url";

void FirefoxDrop(QMimeData& mime, const QByteArray& promisedName, const QString& url) {
    mime.setData("text/uri-list", url.toUtf8() + "\r\n");
    mime.setData(kPromisedUrl, Utf16(url));
    mime.setData(kPromisedName, promisedName);
    mime.setData("image/png", kPng);
    mime.setData("image/jpeg", kJpeg);
}

class DropIntakeTest : public ::testing::Test {
protected:
    QString StagingFolder() const { return root_.filePath("home/staging"); }
    // The staged path must lie directly in a drop folder of the staging folder.
    void ExpectStagedSafely(const QString& path) const {
        const QFileInfo file(path);
        EXPECT_TRUE(file.isFile()) << path.toStdString();
        EXPECT_EQ(QFileInfo(file.canonicalPath()).canonicalPath(),
                  QFileInfo(StagingFolder()).canonicalFilePath())
            << path.toStdString();
    }
    DropPayload TakeOne(const QMimeData& mime) const {
        DropPayload payload = intake_.Take(mime);
        EXPECT_EQ(payload.files.size(), 1);
        if (payload.files.isEmpty())
            payload.files.append(DroppedFile{});
        return payload;
    }

    QTemporaryDir root_;
    DropIntake intake_{StagingFolder()};
};

TEST_F(DropIntakeTest, FileManagerDropKeepsEveryPathWholeAndInOrder) {
    const QString longPath = "/home/user/" + QString(280, u'd') + "/写真 01.jpg";
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile("/tmp/b.png"), QUrl::fromLocalFile(longPath),
                  QUrl::fromLocalFile("/tmp/a #1.gif")});
    ASSERT_TRUE(DropIntake::CanTake(mime));
    const DropPayload payload = intake_.Take(mime);
    ASSERT_EQ(payload.files.size(), 3);
    EXPECT_EQ(payload.files[0].path, "/tmp/b.png");
    EXPECT_EQ(payload.files[1].path, longPath);
    EXPECT_EQ(payload.files[2].path, "/tmp/a #1.gif");
    for (const DroppedFile& file : payload.files)
        EXPECT_TRUE(file.imageAddress.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(StagingFolder())) << "local files need no staging";
}

TEST_F(DropIntakeTest, ChromiumDropStagesTheOriginalBytesUnderTheDecodedName) {
    const QByteArray url = "https://example.com/img/%E5%86%99%E7%9C%9F.jpg?x=1";
    QMimeData mime;
    ChromiumDrop(mime, url, kJpeg);
    ASSERT_TRUE(DropIntake::CanTake(mime));
    DropPayload payload = TakeOne(mime);
    const DroppedFile file = payload.files[0];
    EXPECT_EQ(NameOf(file), "写真.jpg");
    EXPECT_EQ(ReadBytes(file.path, kUnreadable), kJpeg);
    EXPECT_EQ(file.imageAddress, QString::fromUtf8(url));
    ExpectStagedSafely(file.path);
    const QString folder = QFileInfo(file.path).path();
    EXPECT_FALSE(QFileInfo(folder).permissions() &
                 (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                  QFile::WriteOther | QFile::ExeOther));

    // Each drop has its own folder, which goes with the last copy of its payload.
    const DropPayload second = TakeOne(mime);
    EXPECT_NE(QFileInfo(second.files[0].path).path(), folder);
    DropPayload copy = payload;
    payload = {};
    EXPECT_TRUE(QFileInfo::exists(file.path));
    copy = {};
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(QFileInfo::exists(second.files[0].path));
}

TEST_F(DropIntakeTest, FirefoxDropStagesThePixelsWithTheExtensionOfTheirContent) {
    // The name comes as UTF-16, at times with a terminating zero, or as UTF-8.
    const QString url = "https://example.org/pics/photo.jpg";
    const std::pair<QByteArray, QString> names[] = {
        {Utf16("photo.jpg"), "photo.png"},
        {Utf16("photo.jpg") + QByteArray(2, '\0'), "photo.png"},
        {QString("写真.jpeg").toUtf8(), "写真.png"}};
    for (const auto& [promised, staged] : names) {
        QMimeData mime;
        FirefoxDrop(mime, promised, url);
        const DropPayload payload = TakeOne(mime);
        EXPECT_EQ(NameOf(payload.files[0]), staged);
        EXPECT_EQ(ReadBytes(payload.files[0].path, kUnreadable), kPng);
        EXPECT_EQ(payload.files[0].imageAddress, url);
    }
    // Re-encoded JPEG pixels under a WebP name, and pixels with no name at all.
    QMimeData jpegOnly;
    jpegOnly.setData(kPromisedName, Utf16("cat.webp"));
    jpegOnly.setData("image/jpeg", kJpeg);
    EXPECT_EQ(NameOf(TakeOne(jpegOnly).files[0]), "cat.jpg");
    QMimeData pixelsOnly;
    pixelsOnly.setData("image/png", kPng);
    ASSERT_TRUE(DropIntake::CanTake(pixelsOnly));
    const DroppedFile unnamed = TakeOne(pixelsOnly).files[0];
    EXPECT_EQ(NameOf(unnamed), "image.png");
    EXPECT_TRUE(unnamed.imageAddress.isEmpty());
}

TEST_F(DropIntakeTest, BrowserDropsCarryWhatTheirNoteTellsOfThePage) {
    const QString page = "https://example.com/gallery/";
    const QString image = "https://cdn.example.com/photo.jpg";
    QMimeData chromium;
    ChromiumDrop(chromium, image.toUtf8(), kJpeg);
    EXPECT_EQ(TakeOne(chromium).files[0].note, NoteState::Missing);
    chromium.setData("chromium/x-renderer-taint", "https://example.com");
    chromium.setData(
        "chromium/x-web-custom-data",
        ChromiumCustomDataBlob({{"application/x-kelvo-source", NoteJson(page, page, image)}}));
    const DroppedFile fromChromium = TakeOne(chromium).files[0];
    EXPECT_EQ(fromChromium.note, NoteState::Taken);
    EXPECT_EQ(fromChromium.pageAddress, page);
    EXPECT_EQ(fromChromium.imageAddress, image);

    QMimeData firefox;
    FirefoxDrop(firefox, Utf16("photo.jpg"), image);
    firefox.setData("application/x-kelvo-source", Utf16(NoteJson(page, page, image)));
    EXPECT_EQ(TakeOne(firefox).files[0].pageAddress, page);

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(root_.filePath("a.jpg"))});
    EXPECT_EQ(TakeOne(files).files[0].note, NoteState::NotFromBrowser);
}

// Chromium lists the link around a linked image before the picture's address.
TEST_F(DropIntakeTest, ALinkedImageIsNamedAfterThePictureNotTheLink) {
    const QString image = "https://cdn.example.com/photo.jpeg";
    QMimeData linked;
    ChromiumDrop(linked, image.toUtf8(), kJpeg);
    linked.setUrls({QUrl("https://example.com/next.html")});
    DroppedFile picture = TakeOne(linked).files[0];
    EXPECT_EQ(NameOf(picture), "photo.jpeg");
    EXPECT_EQ(picture.imageAddress, image);
    // A picture whose name says nothing: the note tells which address it is.
    const QString unnamed = "https://cdn.example.com/img?id=7";
    ChromiumDrop(linked, unnamed.toUtf8(), kJpeg);
    linked.setUrls({QUrl("https://example.com/post/7")});
    linked.setData("chromium/x-web-custom-data",
                   ChromiumCustomDataBlob({{"application/x-kelvo-source",
                                            NoteJson("https://example.com/", "", unnamed)}}));
    picture = TakeOne(linked).files[0];
    EXPECT_EQ(NameOf(picture), "img.jpg");
    EXPECT_EQ(picture.imageAddress, unnamed);
}

TEST_F(DropIntakeTest, DropFoldersOfAKilledRunAreRemovedAndNothingElse) {
    for (const char* folder : {"drop-a1B2c3", "drop-zzzzzz", "keep", "drop-long-name"})
        QDir().mkpath(StagingFolder() + "/" + folder + "/inside");
    ASSERT_TRUE(testing::WriteBytes(StagingFolder() + "/drop-a1B2c3/inside/photo.jpg", {}));
    intake_.RemoveLeftovers();
    EXPECT_EQ(QDir(StagingFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              (QStringList{"drop-long-name", "keep"}));
}

TEST_F(DropIntakeTest, DropWithoutFilesOrImageDataGivesNothingAndFetchesNothing) {
    QMimeData text;
    text.setText("https://example.com/a.jpg");
    EXPECT_FALSE(DropIntake::CanTake(QMimeData()) || DropIntake::CanTake(text));
    EXPECT_TRUE(intake_.Take(text).files.isEmpty());

    QMimeData addressOnly;
    addressOnly.setUrls({QUrl("https://example.com/a.jpg")});
    addressOnly.setData(kPromisedUrl, Utf16("https://example.com/a.jpg"));
    EXPECT_TRUE(DropIntake::CanTake(addressOnly));
    const DropPayload payload = intake_.Take(addressOnly);
    EXPECT_TRUE(payload.files.isEmpty());
    EXPECT_EQ(payload.staging, nullptr);
    EXPECT_TRUE(QDir(StagingFolder()).isEmpty());
}

TEST_F(DropIntakeTest, HostileNamesCannotLeaveTheDropFolder) {
    for (const char* name : {"../../etc/passwd", "%2e%2e%2fx", "a/../../b", "C:\\x\\..\\y.png",
                             "..", ".", "%2e%2e", "/", "..\\..", "x/..", "\x01..\x7F"}) {
        QMimeData mime;
        FirefoxDrop(mime, Utf16(QString::fromUtf8(name)), "https://example.org/p.png");
        ExpectStagedSafely(TakeOne(mime).files[0].path);
    }
}

TEST(StagedFileName, KeepsOnlyASafeLastSegment) {
    EXPECT_EQ(StagedFileName("%2e%2e%2fx", {}), "x");
    EXPECT_EQ(StagedFileName("a/../../b", kPng), "b.png");
    EXPECT_EQ(StagedFileName("C:\\x\\..\\y.png", kJpeg), "y.png");
    EXPECT_EQ(StagedFileName("/a/pic.gif?size=large&x=/y#top", {}), "pic.gif");
    EXPECT_EQ(StagedFileName("a\tb\x01\x1F\x7F\n.jpg", {}), "ab.jpg");
    EXPECT_EQ(StagedFileName("%E5%86%99%20%E7%9C%9F.jpg", {}), "写 真.jpg");
    EXPECT_EQ(StagedFileName("v1.2 final", kJpeg), "v1.2 final.jpg");
    for (const char* nothing : {"", "..", "%2e%2e", "dir/", " . "})
        EXPECT_EQ(StagedFileName(nothing, kPng), "image.png") << nothing;
    EXPECT_EQ(StagedFileName("", "not an image"), "image");
}

TEST(StagedFileName, LimitsLongNamesTo200BytesKeepingTheExtension) {
    for (const QString& unit : {QString("写"), QString("🖼")}) {
        const QString name = StagedFileName(unit.repeated(300) + ".jpeg", {});
        EXPECT_LE(name.toUtf8().size(), 200);
        EXPECT_TRUE(name.endsWith(".jpeg"));
        EXPECT_EQ(QString::fromUtf8(name.toUtf8()), name) << "cut inside a character";
    }
    EXPECT_TRUE(StagedFileName(QString(300, u'x'), kPng).endsWith("x.png"));
}

TEST(ExtensionForContent, KnowsTheImageSignatures) {
    // JPEG and PNG: see StagedFileName above.
    EXPECT_EQ(ExtensionForContent("GIF87a..."), ".gif");
    EXPECT_EQ(ExtensionForContent("GIF89a..."), ".gif");
    EXPECT_EQ(ExtensionForContent("BM\x36\x10"), ".bmp");
    EXPECT_EQ(ExtensionForContent(QByteArray("RIFF\x24\0\0\0WEBPVP8 ", 16)), ".webp");
    EXPECT_EQ(ExtensionForContent(QByteArray("\0\0\1\0\1\0", 6)), ".ico");
    EXPECT_EQ(ExtensionForContent(QByteArray("\0\0\2\0\1\0", 6)), "") << "a cursor";
    EXPECT_EQ(ExtensionForContent(QByteArray("RIFF\x24\0\0\0WAVE", 12)), "");
    EXPECT_EQ(ExtensionForContent(QByteArray("\xFF\xD8", 2)), "");
}

// An ISO media file's first box: its size, "ftyp", the major brand, a minor
// version and the compatible brands; the size as declared unless given.
QByteArray FileTypeBox(const QByteArray& major, const QByteArray& compatible,
                       qsizetype declaredSize = -1) {
    const QByteArray body = "ftyp" + major + QByteArray(4, '\0') + compatible;
    const auto size = quint32(declaredSize < 0 ? body.size() + 4 : declaredSize);
    const char sizeBytes[4] = {char(size >> 24), char(size >> 16), char(size >> 8), char(size)};
    return QByteArray(sizeBytes, 4) + body;
}

TEST(ExtensionForContent, KnowsAvifByItsBrands) {
    EXPECT_EQ(ExtensionForContent(FileTypeBox("avif", "avifmif1miaf")), ".avif");
    EXPECT_EQ(ExtensionForContent(FileTypeBox("avis", "avis")), ".avif") << "an animation";
    // A major brand of the family, AVIF only among the compatible ones.
    EXPECT_EQ(ExtensionForContent(FileTypeBox("mif1", "mif1miafavif")), ".avif");
    // HEIF photos share the box, not the brands.
    EXPECT_EQ(ExtensionForContent(FileTypeBox("heic", "mif1heic")), "");
    // A brand past the box's declared end belongs to the next box.
    EXPECT_EQ(ExtensionForContent(FileTypeBox("mif1", "mif1avif", 20)), "");
    EXPECT_EQ(ExtensionForContent(FileTypeBox("avif", "").left(11)), "") << "cut short";
}

} // namespace
} // namespace kelvo
