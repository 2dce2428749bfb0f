#include "browser/HostAnswers.h"
#include "session/InstanceLock.h"
#include "support/CaptureFakes.h"
#include "support/Files.h"
#include "support/Logs.h"
#include "support/TestHome.h"
#include "support/Times.h"
#include "text/PathText.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

// A home with two destinations, the second current, as the window leaves it.
class HostAnswersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        home = temp.path() + "/home/";
        cats = temp.path() + "/cats/";
        dogs = temp.path() + "/dogs/";
        for (const QString& folder : {home, cats, dogs})
            QDir().mkpath(folder);
        ASSERT_TRUE(WriteBytes(home + "ListView.txt",
                               testing::DestinationListText({{"cats", cats}, {"dogs", dogs}})));
        ASSERT_TRUE(WriteBytes(home + "kelvo.ini", ("[Form]\r\nNORI=1\r\nDefSiki=dogs\r\n"
                                                    "DefIndex=1\r\nDefFolder=" +
                                                    dogs + "\r\n")
                                                       .toUtf8()));
    }

    QJsonObject Ask(const QJsonObject& request) {
        const HostContext context{home, {}, clock, [this](const HandedCapture& capture) {
                                      handed.push_back(capture);
                                      handedFileThere =
                                          QFileInfo::exists(capture.files.value(0).path);
                                      return window;
                                  }};
        return QJsonDocument::fromJson(AnswerHostRequest(QJsonDocument(request).toJson(), context))
            .object();
    }

    QJsonObject Save(const QString& destination, const QByteArray& bytes = "jpeg bytes",
                     const QString& name = {}) {
        return Ask({{"request", "save"},
                    {"destination", destination},
                    {"page", "https://example.com/gallery"},
                    {"image", "https://img.example.com/a/photo.jpg?size=l"},
                    {"name", name},
                    {"bytes", QString::fromLatin1(bytes.toBase64())}});
    }

    QStringList LoggedAddresses() const {
        return testing::LogColumn(home + "Logs/2006年05月/20060530.txt", &testing::LogRow::address);
    }

    QTemporaryDir temp;
    QString home, cats, dogs;
    testing::FixedClock clock{testing::At(2006, 5, 30, 14, 3, 7)};
    std::optional<HandedOutcome> window; // none runs
    std::vector<HandedCapture> handed;
    bool handedFileThere = false;
};

TEST_F(HostAnswersTest, TheDestinationsComeInTheListsOrderWithTheCurrentOneMarked) {
    const QJsonArray destinations =
        Ask({{"request", "destinations"}}).value("destinations").toArray();
    ASSERT_EQ(destinations.size(), 2);
    EXPECT_EQ(destinations[0].toObject(), (QJsonObject{{"name", "cats"}, {"current", false}}));
    EXPECT_EQ(destinations[1].toObject(), (QJsonObject{{"name", "dogs"}, {"current", true}}));
}

// No window runs: no one would see a question, so a taken name is numbered.
TEST_F(HostAnswersTest, WithoutAWindowTheImageIsCapturedHereAndATakenNameNumbered) {
    EXPECT_EQ(Save({}), (QJsonObject{{"outcome", "saved"},
                                     {"path", dogs + "photo.jpg"},
                                     {"text", "を保存しました。"}}));
    EXPECT_EQ(Save({}).value("path").toString(), dogs + "photo[1].jpg");
    EXPECT_EQ(ReadBytes(dogs + "photo[1].jpg"), "jpeg bytes");
    EXPECT_EQ(LoggedAddresses(), QStringList(2, "https://example.com/gallery"));
    // The home's lock was free, so no window could be asked, and the bytes
    // went from memory to the destination with nothing staged.
    EXPECT_TRUE(handed.empty());
    EXPECT_FALSE(QFileInfo::exists(home + ".staging"));
}

// As a drop on its row: saved there, and current from now on.
TEST_F(HostAnswersTest, AChosenDestinationTakesTheImageAndBecomesCurrent) {
    EXPECT_EQ(Save("CATS", "gif bytes", "named-by-server.gif").value("path").toString(),
              cats + "named-by-server.gif");
    EXPECT_TRUE(ReadBytes(home + "kelvo.ini").contains("DefSiki=cats"));
    EXPECT_EQ(Save("birds").value("outcome").toString(), "failed");
    EXPECT_FALSE(QFileInfo::exists(dogs + "photo.jpg"));
}

// A running window, which holds the home's lock, captures it as a drop, from
// a staged file it can read.
TEST_F(HostAnswersTest, ARunningWindowIsHandedTheStagedImageAndItsPage) {
    InstanceLock windowsLock(home);
    ASSERT_TRUE(windowsLock.TryLock());
    window =
        HandedOutcome{HandedOutcome::Kind::Skipped, "/staged/photo.jpg", "保存しませんでした。"};
    EXPECT_EQ(Save("cats").value("outcome").toString(), "skipped");
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0].destination, "cats");
    EXPECT_EQ(FileNamePart(handed[0].files.value(0).path), "photo.jpg");
    EXPECT_EQ(handed[0].files.value(0).pageAddress, "https://example.com/gallery");
    EXPECT_TRUE(handedFileThere);
    EXPECT_FALSE(QFileInfo::exists(handed[0].files.value(0).path)); // gone once answered
}

TEST_F(HostAnswersTest, WhatIsNoImageOrNoRequestIsRefusedInWords) {
    for (const QJsonObject& answer :
         {Save({}, {}), Ask({{"request", "erase-everything"}}), Ask({})}) {
        EXPECT_EQ(answer.value("outcome").toString(), "failed");
        EXPECT_FALSE(answer.value("text").toString().isEmpty());
    }
    EXPECT_TRUE(QDir(dogs).isEmpty());
}

} // namespace
} // namespace kelvo
