#include "capture/PasteIntake.h"
#include "capture/DropIntake.h"
#include "support/Files.h"
#include "text/PathText.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

namespace kelvo {
namespace {

QByteArray Encoded(const QSize& size, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

// What Ctrl+V takes from each kind of copy, as the browsers and file
// managers put them on the clipboard.
class PasteIntakeTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp;
    QStringList fetched;
    std::optional<QByteArray> served; // what the address gives

    PasteIntake::Pasted Paste(const QMimeData& mime) {
        const DropIntake drops(temp.path() + "/staging");
        const PasteIntake pastes(drops, temp.path() + "/staging", [this](const QUrl& address) {
            fetched << address.toString();
            return served;
        });
        return pastes.Take(mime);
    }

    // Chromium's "Copy Image": pixels, the image's address and the page's.
    static void CopyImageInChromium(QMimeData& mime, const QSize& shown) {
        mime.setData("image/png", Encoded(shown, "PNG"));
        mime.setUrls({QUrl("https://img.example.com/p/sunrise.jpg?w=2")});
        mime.setData("chromium/x-source-url", "https://example.com/gallery");
    }

private slots:
    void init() {
        fetched.clear();
        served.reset();
    }

    void filesCopiedInAFileManagerAreTakenAsTheyAre() {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile("/pics/a.png"), QUrl::fromLocalFile("/pics/b.jpg")});
        mime.setData("x-special/gnome-copied-files",
                     "copy\nfile:///pics/a.png\nfile:///pics/b.jpg");
        const PasteIntake::Pasted pasted = Paste(mime);
        QCOMPARE(pasted.payload.files.size(), 2);
        QCOMPARE(pasted.payload.files[1].path, QStringLiteral("/pics/b.jpg"));
        QVERIFY(fetched.isEmpty());
    }

    // The clipboard holds pixels only: the address gives the original back.
    void aBrowsersImageIsSavedWithItsOriginalBytesWhenTheAddressGivesThem() {
        QMimeData mime;
        CopyImageInChromium(mime, {32, 24});
        served = Encoded({32, 24}, "JPEG");
        const PasteIntake::Pasted pasted = Paste(mime);
        QCOMPARE(fetched, QStringList{"https://img.example.com/p/sunrise.jpg?w=2"});
        const DroppedFile& file = pasted.payload.files.value(0);
        QCOMPARE(FileNamePart(file.path), QStringLiteral("sunrise.jpg"));
        QCOMPARE(testing::ReadBytes(file.path), *served);
        QCOMPARE(file.pageAddress, QStringLiteral("https://example.com/gallery"));
        QCOMPARE(file.note, NoteState::NotFromBrowser);
    }

    // A <picture> may name another source than the one shown, and a server
    // may refuse: the pixels are kept, as PNG.
    void otherwiseThePixelsAreSavedAsPngNamedFromTheAddress() {
        QMimeData mime;
        CopyImageInChromium(mime, {32, 24});
        for (const std::optional<QByteArray>& answer :
             {std::optional<QByteArray>(Encoded({64, 48}, "JPEG")), std::optional<QByteArray>()}) {
            served = answer;
            const PasteIntake::Pasted pasted = Paste(mime);
            const DroppedFile file = pasted.payload.files.value(0);
            QCOMPARE(FileNamePart(file.path), QStringLiteral("sunrise.png"));
            QCOMPARE(QImage(file.path).size(), QSize(32, 24));
        }
    }

    // Firefox names the image only in its markup, and no page at all.
    void firefoxsImageIsFoundByItsMarkup() {
        QMimeData mime;
        mime.setData("image/png", Encoded({10, 10}, "PNG"));
        mime.setHtml("<meta charset=utf-8><img src=\"https://img.example.com/cat.gif\">");
        served = Encoded({10, 10}, "PNG");
        Paste(mime);
        QCOMPARE(fetched, QStringList{"https://img.example.com/cat.gif"});
    }

    void anAddressAloneIsFetchedAndMustGiveAnImage() {
        QMimeData mime;
        mime.setText(" https://img.example.com/dog \n"); // named by its content
        served = Encoded({8, 8}, "PNG");
        const PasteIntake::Pasted pasted = Paste(mime);
        QCOMPARE(testing::ReadBytes(pasted.payload.files.value(0).path), *served);
        QCOMPARE(FileNamePart(pasted.payload.files.value(0).path), QStringLiteral("dog.png"));

        served = QByteArray("<html>a page</html>");
        QVERIFY(Paste(mime).problem.contains(QStringLiteral("画像ではありません")));
        served.reset();
        QVERIFY(Paste(mime).problem.contains(QStringLiteral("取得できません")));
        mime.setText("file:///etc/passwd");
        QVERIFY(!Paste(mime).problem.isEmpty());
        QCOMPARE(fetched.size(), 3); // never for a file address
    }
};

} // namespace kelvo

QTEST_MAIN(kelvo::PasteIntakeTest)
#include "PasteIntakeTest.moc"
