#include "browser/BrowserHostsCommand.h"
#include "support/Files.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;
using testing::WriteBytesMakingFolders;

class BrowserHostsCommandTest : public ::testing::Test {
protected:
    int Run(const QString& action, const QString& home = {}) {
        output.clear();
        errors.clear();
        QTextStream out(&output), err(&errors);
        return RunBrowserHostsCommand(
            {action}, {temp.path() + "/bin/kelvo-browser-host", home, config(), user()}, out, err);
    }
    QString config() const { return temp.path() + "/config"; }
    QString user() const { return temp.path() + "/user"; }
    QStringList Manifests() const {
        return {config() + "/chromium/NativeMessagingHosts/io.github.kelvo.kelvo.json",
                config() + "/google-chrome/NativeMessagingHosts/io.github.kelvo.kelvo.json",
                user() + "/.mozilla/native-messaging-hosts/io.github.kelvo.kelvo.json"};
    }
    QString PathIn(const QString& manifest) const {
        return QJsonDocument::fromJson(ReadBytes(manifest)).object().value("path").toString();
    }

    QTemporaryDir temp;
    QString output, errors;
};

TEST_F(BrowserHostsCommandTest, InstallsForEachBrowserAndRemovesItsOwnOnly) {
    EXPECT_EQ(Run("install"), 0) << errors.toStdString();
    for (const QString& manifest : Manifests())
        EXPECT_EQ(PathIn(manifest), temp.path() + "/bin/kelvo-browser-host")
            << qPrintable(manifest);
    EXPECT_EQ(Run("status"), 0);
    EXPECT_EQ(output.count("registered, but"), 3) << output.toStdString();
    // Another program's file of that name is left alone.
    ASSERT_TRUE(WriteBytes(Manifests()[2], "{\"name\": \"other\"}"));
    EXPECT_EQ(Run("remove"), 0);
    EXPECT_FALSE(QFileInfo::exists(Manifests()[0]));
    EXPECT_FALSE(QFileInfo::exists(Manifests()[1]));
    EXPECT_EQ(ReadBytes(Manifests()[2]), "{\"name\": \"other\"}");
    EXPECT_EQ(Run("status"), 0);
    EXPECT_EQ(output.count("not registered"), 3) << output.toStdString();
}

// Earlier versions registered the host as "kelvo"; such a file of ours names a
// host that may be gone, and goes with install and remove.
TEST_F(BrowserHostsCommandTest, AnEarlierVersionsRegistrationGoesWithInstallAndRemove) {
    const QString chromium = config() + "/chromium/NativeMessagingHosts/kelvo.json";
    const QString chrome = config() + "/google-chrome/NativeMessagingHosts/kelvo.json";
    const QString firefox = user() + "/.mozilla/native-messaging-hosts/kelvo.json";
    const QByteArray others = R"({"name": "kelvo", "path": "/opt/other/host"})";
    ASSERT_TRUE(WriteBytesMakingFolders(
        chromium, R"({"name": "kelvo", "path": "/usr/bin/kelvo-browser-host"})"));
    ASSERT_TRUE(WriteBytesMakingFolders(chrome, others));
    EXPECT_EQ(Run("install"), 0) << errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(chromium));
    EXPECT_EQ(ReadBytes(chrome), others);

    ASSERT_TRUE(WriteBytesMakingFolders(
        firefox, R"({"name": "kelvo", "path": "/home/u/kelvo/kelvo-browser-host.sh"})"));
    EXPECT_EQ(Run("remove"), 0) << errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(firefox));
    EXPECT_EQ(ReadBytes(chrome), others);
}

// The browsers start the host with no arguments of Kelvo's: a home of its own
// is named by a script in it.
TEST_F(BrowserHostsCommandTest, AHomeOfItsOwnIsReachedThroughAScriptThatNamesIt) {
    const QString home = temp.path() + "/it's home/";
    EXPECT_EQ(Run("install", home), 0) << errors.toStdString();
    const QString script = home + "kelvo-browser-host.sh";
    EXPECT_EQ(PathIn(Manifests()[0]), script);
    EXPECT_TRUE(QFileInfo(script).isExecutable());
    EXPECT_TRUE(
        ReadBytes(script).contains(("--home '" + temp.path() + "/it'\\''s home/'").toUtf8()));
}

TEST_F(BrowserHostsCommandTest, AnythingButOneActionIsWrongUsage) {
    EXPECT_EQ(Run("frob"), 2);
    EXPECT_TRUE(errors.contains("Usage: kelvo")) << errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(config()));
}

} // namespace
} // namespace kelvo
