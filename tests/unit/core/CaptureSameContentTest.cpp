#include "bytes/Sha256.h"
#include "files/SourceAttributes.h"
#include "support/CapturedHome.h"
#include "support/Logs.h"
#include "support/Times.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using testing::At;
using testing::EntriesOf;
using testing::LogRows;
using testing::Native;

const QByteArray kPicture = "the same picture's bytes";

class CaptureSameContentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        captured.KeepCollection();
        ASSERT_FALSE(captured.Capture("first.jpg", kAt, {}, kPicture).isEmpty());
    }

    CaptureOutcome CaptureAgain(const QString& name) {
        return captured.CaptureWithOutcome(name, kAt, {}, kPicture);
    }

    const QDateTime kAt = At(2026, 5, 30, 14, 3, 7);
    QTemporaryDir temp;
    testing::CapturedHome captured{temp.path()};
};

TEST_F(CaptureSameContentTest, TheSameBytesAreAskedAboutAndNotSavedLeaveNothingBehind) {
    const CaptureOutcome outcome = CaptureAgain("again.jpg");

    ASSERT_EQ(captured.prompter.sameContentAsked.size(), 1u);
    EXPECT_EQ(captured.prompter.sameContentAsked[0].earlier.savedPath,
              captured.pictures + "first.jpg");
    EXPECT_EQ(captured.prompter.sameContentAsked[0].newPath, captured.sources + "again.jpg");
    EXPECT_EQ(outcome.kind, CaptureOutcome::Kind::NotSavedByChoice);
    EXPECT_EQ(outcome.sameAs, captured.pictures + "first.jpg");
    EXPECT_EQ(EntriesOf(captured.pictures), QStringList{"first.jpg"}) << "no copy left waiting";
    EXPECT_EQ(LogRows(captured.LogOf(kAt)).size(), 1u);
}

TEST_F(CaptureSameContentTest, SavedAgainUnderATakenNameIsNumberedWithoutASecondQuestion) {
    captured.prompter.saveSameContent = true;
    const CaptureOutcome outcome = CaptureAgain("first.jpg");

    EXPECT_EQ(captured.prompter.sameContentAsked.size(), 1u);
    EXPECT_TRUE(captured.prompter.clashes.empty());
    ASSERT_EQ(outcome.kind, CaptureOutcome::Kind::Saved);
    EXPECT_NE(outcome.savedPath, captured.pictures + "first.jpg");
    EXPECT_EQ(testing::ReadBytes(outcome.savedPath), kPicture);
    EXPECT_EQ(outcome.sameAs, captured.pictures + "first.jpg");
    EXPECT_TRUE(outcome.Summary().contains(captured.pictures + "first.jpg"));
}

TEST_F(CaptureSameContentTest, TheSettingSavesOrSkipsWithoutAsking) {
    captured.choices.sameContent = SameContentRule::Skip;
    EXPECT_EQ(CaptureAgain("skipped.jpg").kind, CaptureOutcome::Kind::NotSavedByChoice);

    captured.choices.sameContent = SameContentRule::Save;
    EXPECT_EQ(CaptureAgain("saved.jpg").savedPath, captured.pictures + "saved.jpg");

    EXPECT_TRUE(captured.prompter.sameContentAsked.empty());
    EXPECT_EQ(EntriesOf(captured.pictures), (QStringList{"first.jpg", "saved.jpg"}));
}

// The hash handed on is that of the bytes saved, taken by the copy itself.
TEST_F(CaptureSameContentTest, OtherBytesAreNotAskedAboutAndEachCaptureIsAddedWithItsHash) {
    const CaptureOutcome outcome =
        captured.CaptureWithOutcome("other.jpg", kAt, {}, "another picture");

    EXPECT_TRUE(captured.prompter.sameContentAsked.empty());
    EXPECT_EQ(outcome.kind, CaptureOutcome::Kind::Saved);
    EXPECT_TRUE(outcome.sameAs.isEmpty());
    ASSERT_EQ(captured.collection.added.size(), 2u);
    EXPECT_EQ(captured.collection.added[1].savedPath, captured.pictures + "other.jpg");
    EXPECT_EQ(captured.collection.added[1].captureTime, kAt);
    Sha256 hash;
    hash.Add("another picture");
    EXPECT_EQ(captured.collection.added[1].contentHash, hash.Finish());
}

TEST_F(CaptureSameContentTest, TheCopyCarriesItsSourceUnlessTurnedOff) {
    const QString saved =
        captured
            .CaptureWithOutcome("photo.jpg", kAt, "https://example.org/page", "photo bytes",
                                "https://img.example.org/photo.jpg")
            .savedPath;
    const SourceAttributes source = ReadSourceAttributes(Native(saved));
    if (source.originAddress.empty())
        GTEST_SKIP() << "no user attributes where the tests' temporary files are";
    EXPECT_EQ(source.originAddress, "https://img.example.org/photo.jpg");
    EXPECT_EQ(source.referrerAddress, "https://example.org/page");

    captured.choices.sourceAttributes = false;
    const QString plain = captured
                              .CaptureWithOutcome("plain.jpg", kAt, "https://example.org/page",
                                                  "plain bytes", "https://img.example.org/p.jpg")
                              .savedPath;
    EXPECT_EQ(ReadSourceAttributes(Native(plain)).originAddress, "");
}

} // namespace
} // namespace kelvo
