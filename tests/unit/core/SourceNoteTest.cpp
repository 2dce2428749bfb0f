#include "capture/SourceNote.h"
#include "capture/ChromiumCustomData.h"
#include "support/BrowserNotes.h"

#include <gtest/gtest.h>

#include <QMimeData>
#include <QtEndian>

namespace kelvo {
namespace {

using testing::ChromiumCustomDataBlob;
using testing::NoteJson;
using testing::Utf16;

const QString kImage = "http://127.0.0.1:8000/sunrise.jpg";
const QString kPage = "http://127.0.0.1:8000/index.html";
const QString kFrame = "http://localhost:8000/framed.html";

QByteArray WithWord(QByteArray blob, qsizetype at, quint32 value) {
    qToLittleEndian(value, blob.data() + at);
    return blob;
}

// ---- Chromium's custom drag data

TEST(ChromiumCustomData, ReadsEveryPairInOrder) {
    const QByteArray blob = ChromiumCustomDataBlob(
        {{"text/x-one", "1"}, {kSourceNoteType, NoteJson(kPage, kPage, kImage)}, {"a", ""}});
    const auto pairs = ReadChromiumCustomData(blob);
    ASSERT_TRUE(pairs);
    ASSERT_EQ(pairs->size(), 3);
    EXPECT_EQ(pairs->at(0), (std::pair<QString, QString>("text/x-one", "1")));
    EXPECT_EQ(pairs->at(1).second, NoteJson(kPage, kPage, kImage));
    EXPECT_EQ(pairs->at(2), (std::pair<QString, QString>("a", "")));
    EXPECT_EQ(ChromiumCustomValue(blob, "text/x-one"), QString("1"));
    EXPECT_FALSE(ChromiumCustomValue(blob, "text/x-two"));
    // Bytes after the payload are not Chromium's concern, nor ours.
    EXPECT_TRUE(ReadChromiumCustomData(blob + QByteArray(6, '\x7F')));
    EXPECT_EQ(ReadChromiumCustomData(ChromiumCustomDataBlob({}))->size(), 0);
}

TEST(ChromiumCustomData, AnyBlobCutShortGivesNothing) {
    const QByteArray blob = ChromiumCustomDataBlob({{"text/x-type", "value of odd length"}});
    for (qsizetype size = 0; size < blob.size(); ++size)
        EXPECT_FALSE(ReadChromiumCustomData(QByteArrayView(blob).first(size))) << size;
}

TEST(ChromiumCustomData, LengthsThatRunPastThePayloadGiveNothing) {
    const QByteArray blob = ChromiumCustomDataBlob({{"ab", "cd"}});
    // Layout: payload size @0, count @4, "ab" length @8, "cd" length @16.
    for (const quint32 huge : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 3u})
        EXPECT_FALSE(ReadChromiumCustomData(WithWord(blob, 16, huge))) << huge;
    EXPECT_FALSE(ReadChromiumCustomData(WithWord(blob, 0, 0xFFFFFFFC)));
    EXPECT_FALSE(ReadChromiumCustomData(WithWord(blob, 4, 0xFFFFFFFF)));
    EXPECT_FALSE(ReadChromiumCustomData(WithWord(blob, 4, 2)));
    // A payload size that is no multiple of 4 is no Chromium blob.
    EXPECT_FALSE(ReadChromiumCustomData(WithWord(blob, 0, quint32(blob.size() - 5))));
}

// ---- The note's JSON

TEST(SourceNote, ReadsTheFieldsOfItsVersion) {
    const auto note = ParseSourceNote(NoteJson(kPage, kFrame, kImage));
    ASSERT_TRUE(note);
    EXPECT_EQ(note->pageAddress, kPage);
    EXPECT_EQ(note->frameAddress, kFrame);
    EXPECT_EQ(note->title, "ページ");
    EXPECT_EQ(note->imageAddress, kImage);
}

TEST(SourceNote, RefusesWhatTheExtensionNeverWrites) {
    EXPECT_FALSE(ParseSourceNote(NoteJson(kPage, kFrame, kImage, 2)));
    EXPECT_FALSE(ParseSourceNote(NoteJson(kPage, kFrame, "")));
    EXPECT_FALSE(ParseSourceNote(""));
    EXPECT_FALSE(ParseSourceNote("{\"version\":1,\"page\":"));
    EXPECT_FALSE(ParseSourceNote("[1]"));
    EXPECT_FALSE(ParseSourceNote("{\"version\":\"1\",\"image\":\"" + kImage + "\"}"));
    EXPECT_FALSE(ParseSourceNote(NoteJson(kPage, QString(70 * 1024, 'x'), kImage)));
}

// ---- What of a note is believed

struct Trust {
    const char* what;
    QString page, frame, image, origin;
    NoteState state;
    QString pageGiven, frameGiven;
};

TEST(SourceNote, IsBelievedOnlyWhereTheDropAndTheBrowserAgree) {
    const QString longPage = "https://a.test/" + QString(8 * 1024 - 15, 'p');
    const Trust cases[] = {
        {"Firefox: no origin to check", kPage, kPage, kImage, "", NoteState::Taken, kPage, ""},
        {"Chromium: the page's own origin", kPage, kPage, kImage, "http://127.0.0.1:8000",
         NoteState::Taken, kPage, ""},
        {"the default port, said or not", "https://a.test:443/p", "", kImage, "https://a.test",
         NoteState::Taken, "https://a.test:443/p", ""},
        {"another image than the drop's", kPage, kPage, "http://127.0.0.1:8000/other.jpg", "",
         NoteState::Refused, "", ""},
        {"a page on another origin: forged", "https://forged.example/", "https://forged.example/",
         kImage, "http://127.0.0.1:8000", NoteState::Refused, "", ""},
        {"another port is another origin", "http://127.0.0.1:8001/", "", kImage,
         "http://127.0.0.1:8000", NoteState::Refused, "", ""},
        {"a cross-origin frame: only the frame is vouched for", kPage, kFrame, kImage,
         "http://localhost:8000", NoteState::Taken, "", kFrame},
        {"an opaque origin vouches for nothing", kPage, kPage, kImage, "null", NoteState::Refused,
         "", ""},
        {"not a web page", "file:///etc/passwd", "", kImage, "", NoteState::Refused, "", ""},
        {"a script", "javascript:alert(1)", "", kImage, "", NoteState::Refused, "", ""},
        {"a control character", "https://a.test/\nrow", "", kImage, "", NoteState::Refused, "", ""},
        {"8 KiB exactly", longPage, "", kImage, "", NoteState::Taken, longPage, ""},
        {"over 8 KiB", longPage + "p", "", kImage, "", NoteState::Refused, "", ""},
    };
    ASSERT_EQ(longPage.toUtf8().size(), 8 * 1024);
    for (const Trust& c : cases) {
        const DropNote note =
            TrustedNote({c.page, c.frame, "t", c.image}, {"http://other/", kImage}, c.origin);
        EXPECT_EQ(note.state, c.state) << c.what;
        EXPECT_EQ(note.pageAddress, c.pageGiven) << c.what;
        EXPECT_EQ(note.frameAddress, c.frameGiven) << c.what;
    }
}

TEST(SourceNote, IsReadFromFirefoxsOwnTypeAndFromChromiumsCustomData) {
    QMimeData firefox;
    firefox.setData(kSourceNoteType, Utf16(NoteJson(kPage, kPage, kImage)) + QByteArray(2, '\0'));
    EXPECT_EQ(ReadDropNote(firefox, {kImage}).pageAddress, kPage);

    QMimeData chromium;
    chromium.setData(kChromiumCustomDataType,
                     ChromiumCustomDataBlob({{kSourceNoteType, NoteJson(kPage, kPage, kImage)}}));
    chromium.setData("chromium/x-renderer-taint", "http://127.0.0.1:8000");
    EXPECT_EQ(ReadDropNote(chromium, {kImage}).state, NoteState::Taken);
    chromium.setData("chromium/x-renderer-taint", "http://localhost:8000");
    EXPECT_EQ(ReadDropNote(chromium, {kImage}).state, NoteState::Refused);
}

TEST(SourceNote, TellsADropWithoutNoteFromOneThatIsNoBrowsers) {
    QMimeData plain;
    EXPECT_EQ(ReadDropNote(plain, {kImage}).state, NoteState::Missing);
    plain.setData(kChromiumCustomDataType, ChromiumCustomDataBlob({{"text/x-page", "own"}}));
    EXPECT_EQ(ReadDropNote(plain, {kImage}).state, NoteState::Missing);
    EXPECT_EQ(ReadDropNote(plain, {}).state, NoteState::NotFromBrowser);
    QMimeData broken;
    broken.setData(kSourceNoteType, "{not json");
    EXPECT_EQ(ReadDropNote(broken, {kImage}).state, NoteState::Refused);
}

} // namespace
} // namespace kelvo
