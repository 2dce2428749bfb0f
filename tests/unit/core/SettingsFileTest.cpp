#include "session/SettingsFile.h"
#include "destinations/CurrentDestination.h"
#include "support/GTestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace kelvo {
namespace {

const QString kHome = QStringLiteral("/home/user/kelvo/");

class SettingsFileTest : public ::testing::Test {
protected:
    // Reads settings from a file holding these bytes.
    SettingsFile& ReadBytes(const QByteArray& bytes) {
        EXPECT_TRUE(testing::WriteBytes(dir_.filePath("kelvo.ini"), bytes));
        settings_.Read(dir_.filePath("kelvo.ini"));
        return settings_;
    }

    QByteArray Written() { return testing::ReadBytesOrFail(dir_.filePath("kelvo.ini")); }

    QTemporaryDir dir_;
    SettingsFile settings_{kHome};
};

// A key's value as text, whatever its type.
std::string ValueText(const SettingsFile& settings, const SettingKey& key) {
    switch (key.type) {
    case SettingType::Integer:
        return std::to_string(settings.Integer(IntegerSetting(key.id)));
    case SettingType::Boolean:
        return settings.Boolean(BooleanSetting(key.id)) ? "true" : "false";
    case SettingType::String:
        return settings.String(StringSetting(key.id)).toStdString();
    }
    return {};
}

// Sets the key to a value other than the one it has, inside the values it takes.
void SetOtherValue(SettingsFile& settings, const SettingKey& key) {
    switch (key.type) {
    case SettingType::Integer: {
        const int value = settings.Integer(IntegerSetting(key.id));
        settings.Set(IntegerSetting(key.id), value < key.maximum ? value + 1 : value - 1);
        break;
    }
    case SettingType::Boolean:
        settings.Set(BooleanSetting(key.id), !settings.Boolean(BooleanSetting(key.id)));
        break;
    case SettingType::String:
        settings.Set(StringSetting(key.id), QStringLiteral("値 ") + QString::fromUtf8(key.key));
        break;
    }
}

// No two settings share a place in the file, and each reads back as the
// type it was written.
TEST(SettingKeysTest, EachKeyIsWrittenAndReadBackWithoutTouchingAnother) {
    const SettingsFile defaults(kHome);
    for (const SettingKey& changed : SettingKeys()) {
        SettingsFile settings(kHome);
        SetOtherValue(settings, changed);
        SettingsFile reread(kHome);
        reread.ReadBytes(settings.FileBytes());
        for (const SettingKey& key : SettingKeys()) {
            const SettingsFile& expected = &key == &changed ? settings : defaults;
            EXPECT_EQ(ValueText(reread, key), ValueText(expected, key))
                << key.section << "/" << key.key << " after setting " << changed.section << "/"
                << changed.key;
        }
    }
}

// A window state the program never writes reads as the default, normal.
TEST_F(SettingsFileTest, AWindowStateOutsideItsValuesReadsAsNormal) {
    auto& s = ReadBytes("[Form]\nWindowState=2\n[Form5]\nWindowState=7\n"
                        "[Form7]\nWindowState=-1\n");
    EXPECT_EQ(s.State(kMainWindowSettings), WindowState::Maximized);
    EXPECT_EQ(s.State(kViewerWindowSettings), WindowState::Normal);
    EXPECT_EQ(s.State(kHistoryWindowSettings), WindowState::Normal);
    s.Set(kViewerWindowSettings, WindowState::Minimized);
    EXPECT_TRUE(s.FileBytes().find("[Form5]\r\nTop=0\r\nLeft=0\r\nWidth=585\r\nHeight=550\r\n"
                                   "WindowState=1\r\n") != std::string::npos);
}

TEST_F(SettingsFileTest, MissingFileGivesTheDefaultsEvenAfterAnotherFile) {
    ReadBytes("[Form]\nWidth=500\nNORI=1\nDefSiki=x\n");
    settings_.Read(dir_.filePath("absent.ini"));
    EXPECT_EQ(settings_.Integer(IntegerSetting::MainWidth), 287);
    EXPECT_TRUE(settings_.Boolean(BooleanSetting::ConfirmClose));
    EXPECT_FALSE(settings_.Boolean(BooleanSetting::ListFileWritten));
    EXPECT_EQ(settings_.String(StringSetting::DestinationIdentifier),
              QStringLiteral("初期フォルダ"));
    EXPECT_EQ(settings_.String(StringSetting::DestinationFolder), kHome);
}

TEST_F(SettingsFileTest, ReadsIntegersInDecimalAndHexAndBooleansAsNotZero) {
    auto& s = ReadBytes("[Form]\r\nWidth=0x200\r\nHeight=abc\r\nTop = -20 \r\nTBR1=0X3\r\n"
                        "NORI=2\r\nCBX1=0\r\nCBX2=yes\r\nPBX1=0x0\r\n[Form5]\r\nWidth=700\r\n");
    EXPECT_EQ(s.Integer(IntegerSetting::MainWidth), 512);
    EXPECT_EQ(s.Integer(IntegerSetting::MainHeight), 292);
    EXPECT_EQ(s.Integer(IntegerSetting::MainTop), -20);
    EXPECT_EQ(s.Integer(IntegerSetting::TransparencyLevel), 3);
    EXPECT_EQ(s.Integer(IntegerSetting::ViewerWidth), 700);
    EXPECT_TRUE(s.Boolean(BooleanSetting::ListFileWritten));
    EXPECT_FALSE(s.Boolean(BooleanSetting::KeptDestinationFlag));
    EXPECT_TRUE(s.Boolean(BooleanSetting::ConfirmClose)); // unparsable: the default
    EXPECT_FALSE(s.Boolean(BooleanSetting::MenuShown));
}

TEST_F(SettingsFileTest, MatchesNamesWithoutCaseAndSkipsComments) {
    auto& s = ReadBytes("Width=1\n[FORM]\n;Height=5\nwidth=400\nWIDTH=401\n[other]\nTop=7\n"
                        "[form7]\nheight=800\n");
    EXPECT_EQ(s.Integer(IntegerSetting::MainWidth), 400); // the first of a repeated key
    EXPECT_EQ(s.Integer(IntegerSetting::MainHeight), 292);
    EXPECT_EQ(s.Integer(IntegerSetting::MainTop), 100);
    EXPECT_EQ(s.Integer(IntegerSetting::HistoryHeight), 800);
}

TEST_F(SettingsFileTest, ReadsStringsUpTo2047BytesWithoutSplittingACharacter) {
    auto& ascii = ReadBytes("[Form]\nDefSiki=" + QByteArray(3000, 'a') + "\n");
    EXPECT_EQ(ascii.String(StringSetting::DestinationIdentifier), QString(2047, u'a'));
    auto& wide = ReadBytes("[Form]\nDefSiki=" + QByteArray("あ").repeated(700) + "\n");
    EXPECT_EQ(wide.String(StringSetting::DestinationIdentifier),
              QString(682, u'あ'));                                // three bytes each
    const QByteArray sjis = QByteArray("\x82\xA0").repeated(1100); // あ in CP932
    auto& windows = ReadBytes("[Form]\nDefSiki=" + sjis + "\n");
    EXPECT_EQ(windows.String(StringSetting::DestinationIdentifier), QString(1023, u'あ'));
    // A cut just after a blank drops the blank, as the next reading would.
    auto& blank = ReadBytes("[Form]\nDefSiki=" + QByteArray(2046, 'a') + " \r b\n");
    EXPECT_EQ(blank.String(StringSetting::DestinationIdentifier), QString(2046, u'a'));
}

TEST_F(SettingsFileTest, CurrentDestinationTakesItsIdentifierAndFolder) {
    CurrentDestination destination(kHome);
    destination.ReadFrom(ReadBytes("[Form]\nDefSiki=画像\nDefFolder=/data/pictures\n"));
    EXPECT_EQ(destination.CurrentIdentifier(), QStringLiteral("画像"));
    EXPECT_EQ(destination.CurrentFolder(), QStringLiteral("/data/pictures/"));
    EXPECT_EQ(destination.CaptureFolder(), QStringLiteral("/data/pictures/"));

    destination.ReadFrom(ReadBytes("[Form]\nDefFolder=\n")); // empty, not the default
    EXPECT_EQ(destination.CurrentFolder(), QString());
    EXPECT_EQ(destination.CaptureFolder(), kHome);

    destination.ReadFrom(ReadBytes(""));
    EXPECT_EQ(destination.CurrentIdentifier(), QStringLiteral("初期フォルダ"));
    EXPECT_EQ(destination.CurrentFolder(), kHome);
}

TEST_F(SettingsFileTest, WrittenValuesReadBackAsSet) {
    ReadBytes("[Form]\nWidth=500\nCBX1=0\n[Form7]\nHeight=900\n");
    // A different value for each integer, inside the values its key takes.
    const auto valueFor = [](const SettingKey& key, int place) {
        return std::clamp((place - 3) * 37, key.minimum, key.maximum);
    };
    int place = 0;
    for (const SettingKey& key : SettingKeys()) {
        if (key.type == SettingType::Integer)
            settings_.Set(IntegerSetting(key.id), valueFor(key, place++));
    }
    settings_.Set(BooleanSetting::KeptDestinationFlag, true);
    settings_.Set(BooleanSetting::ConfirmClose, false);
    settings_.Set(StringSetting::DestinationIdentifier, QStringLiteral("壁紙 = 2"));
    settings_.Set(StringSetting::DestinationFolder, QStringLiteral("/データ/画像/"));
    EXPECT_EQ(settings_.Integer(IntegerSetting::MainWidth), -1 * 37); // the set value wins
    ASSERT_TRUE(settings_.Write(dir_.filePath("kelvo.ini")));

    SettingsFile reread(QStringLiteral("/elsewhere/"));
    reread.Read(dir_.filePath("kelvo.ini"));
    place = 0;
    for (const SettingKey& key : SettingKeys()) {
        if (key.type == SettingType::Integer) {
            EXPECT_EQ(reread.Integer(IntegerSetting(key.id)), valueFor(key, place++))
                << key.section << "/" << key.key;
        }
    }
    EXPECT_TRUE(reread.Boolean(BooleanSetting::KeptDestinationFlag));
    EXPECT_FALSE(reread.Boolean(BooleanSetting::ConfirmClose));
    EXPECT_TRUE(reread.Boolean(BooleanSetting::MenuShown));
    EXPECT_EQ(reread.String(StringSetting::DestinationIdentifier), QStringLiteral("壁紙 = 2"));
    EXPECT_EQ(reread.String(StringSetting::DestinationFolder), QStringLiteral("/データ/画像/"));
}

TEST_F(SettingsFileTest, FirstCloseWritesEveryKeyOfEverySection) {
    settings_.Read(dir_.filePath("kelvo.ini")); // first run: no file
    settings_.Set(BooleanSetting::ListFileWritten, true);
    ASSERT_TRUE(settings_.Write(dir_.filePath("kelvo.ini")));
    const QByteArray bytes = Written();
    EXPECT_TRUE(bytes.startsWith("[Form]\r\nTop=100\r\nLeft=100\r\nWidth=287\r\nHeight=292\r\n"))
        << bytes.constData();
    EXPECT_TRUE(bytes.contains("\r\nDefFolder=" + kHome.toUtf8() + "\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nDefSiki=初期フォルダ\r\nDefIndex=0\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nNORI=1\r\n\r\n[Form5]\r\nTop=0\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nP1Width=185\r\nWindowState=0\r\n\r\n[Browser]\r\n"));
    EXPECT_TRUE(bytes.contains("\r\n[Browser]\r\nDevToolsPort=9222\r\n"));
    EXPECT_TRUE(bytes.endsWith("\r\n[Collection]\r\nSameImage=0\r\nSourceAttributes=1\r\n"));
    EXPECT_EQ(bytes.count("[Form"), 3);
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n')); // no bare LF
    EXPECT_EQ(bytes.count('='), qsizetype(SettingKeys().size()));
}

TEST_F(SettingsFileTest, KeepsWhatALaterVersionWroteAndRewritesBadValues) {
    ReadBytes("[Form]\r\nWidth=abc\r\nZoom=3\r\n[Later]\r\nZoomStep=9333\r\n"
              "Profile=朝\r\n[form]\r\nHeight=0x200\r\n");
    ASSERT_TRUE(settings_.Write(dir_.filePath("kelvo.ini")));
    const QByteArray bytes = Written();
    EXPECT_TRUE(bytes.contains("NORI=0\r\nZoom=3\r\n\r\n[Form5]\r\n"));
    EXPECT_TRUE(bytes.endsWith("\r\n\r\n[Later]\r\nZoomStep=9333\r\nProfile=朝\r\n"))
        << bytes.constData();
    EXPECT_TRUE(bytes.contains("\r\nWidth=287\r\nHeight=512\r\n"));
    EXPECT_EQ(bytes.count("[Form]"), 1);

    ReadBytes("[Later]\nZoomStep=\x82\xA0\n"); // Shift-JIS from the old program
    ASSERT_TRUE(settings_.Write(dir_.filePath("kelvo.ini")));
    EXPECT_TRUE(Written().endsWith("[Later]\r\nZoomStep=あ\r\n"));
}

TEST_F(SettingsFileTest, WriteIntoAMissingFolderFailsAndLeavesNothing) {
    const QString folder = dir_.filePath("missing");
    EXPECT_FALSE(settings_.Write(folder + "/kelvo.ini"));
    EXPECT_FALSE(QDir(folder).exists());
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    EXPECT_EQ(WriteFailureText(folder + "/kelvo.ini"), folder + "/kelvo.ini に書き込めません");
}

// A folder with a line break (from a list file edited by hand) never splits
// its line: nothing it holds becomes a key or a section of its own.
TEST(SettingsFileLines, ALineBreakInAValueIsNeverWrittenRaw) {
    SettingsFile settings("/home/u/");
    settings.Set(StringSetting::DestinationFolder, "/a\r\n[Browser]\r\nDevToolsPort=1\n/");
    const std::string bytes = settings.FileBytes();
    SettingsFile reread("/home/u/");
    reread.ReadBytes(bytes);
    EXPECT_EQ(reread.String(StringSetting::DestinationFolder), "/a\r [Browser]\r DevToolsPort=1 /");
    EXPECT_EQ(reread.Integer(IntegerSetting::DevToolsPort), 9222);
}

} // namespace
} // namespace kelvo
