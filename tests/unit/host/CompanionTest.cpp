#include "browser/Companion.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

// The arguments each browser starts a host with.
TEST(Companion, OnlyTheCompanionStartsTheHost) {
    EXPECT_TRUE(StartedForCompanion({ChromiumCompanionOrigin()}));
    EXPECT_TRUE(StartedForCompanion(
        {"/u/.mozilla/native-messaging-hosts/io.github.kelvo.kelvo.json", FirefoxCompanionId()}));
    EXPECT_FALSE(StartedForCompanion({"chrome-extension://aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa/"}));
    EXPECT_FALSE(StartedForCompanion({"/m/io.github.kelvo.kelvo.json", "other@addon"}));
    EXPECT_FALSE(StartedForCompanion({}));
}

TEST(Companion, EachBrowsersManifestNamesTheCompanionAlone) {
    const QJsonObject chromium =
        QJsonDocument::fromJson(ChromiumHostManifest("/usr/bin/kelvo-browser-host")).object();
    EXPECT_EQ(chromium.value("path").toString(), "/usr/bin/kelvo-browser-host");
    EXPECT_EQ(chromium.value("allowed_origins").toArray(), QJsonArray{ChromiumCompanionOrigin()});
    const QJsonObject firefox =
        QJsonDocument::fromJson(FirefoxHostManifest("/usr/bin/kelvo-browser-host")).object();
    EXPECT_EQ(firefox.value("allowed_extensions").toArray(), QJsonArray{FirefoxCompanionId()});
    EXPECT_FALSE(firefox.contains("allowed_origins"));
}

} // namespace
} // namespace kelvo
