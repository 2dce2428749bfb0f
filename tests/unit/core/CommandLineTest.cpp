#include "commands/CommandLine.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using Kind = CommandLineRequest::Kind;

TEST(CommandLine, TellsTheWindowTheCommandsHelpAndVersionApart) {
    EXPECT_EQ(ReadCommandLine({}).kind, Kind::Window);
    EXPECT_EQ(ReadCommandLine({"--home", "/h"}).kind, Kind::Window);
    EXPECT_EQ(ReadCommandLine({"--home=/h"}).kind, Kind::Window);
    for (const char* command : {"table", "capture", "history"}) {
        const CommandLineRequest request = ReadCommandLine({"--home", "/h", command, "x"});
        EXPECT_EQ(request.kind, Kind::Command) << command;
        EXPECT_EQ(request.command, command);
    }
    EXPECT_EQ(ReadCommandLine({"--help"}).kind, Kind::Help);
    EXPECT_EQ(ReadCommandLine({"-h"}).kind, Kind::Help);
    EXPECT_EQ(ReadCommandLine({"--home", "/h", "--version"}).kind, Kind::Version);
    // A folder named like a command is the home's, not a command.
    EXPECT_EQ(ReadCommandLine({"--home", "history"}).kind, Kind::Window);
}

TEST(CommandLine, NamesWhatIsWrong) {
    const std::pair<QStringList, QString> wrong[] = {
        {{"--home"}, "--home needs a folder"},           {{"--home="}, "--home needs a folder"},
        {{"--home", ""}, "--home needs a folder"},       {{"--nope"}, "unknown option --nope"},
        {{"bogus", "capture"}, "unknown command bogus"},
    };
    for (const auto& [arguments, problem] : wrong) {
        const CommandLineRequest request = ReadCommandLine(arguments);
        EXPECT_EQ(request.kind, Kind::Wrong) << arguments.join(' ').toStdString();
        EXPECT_EQ(request.problem, problem);
    }
}

TEST(CommandLine, TheUsageNamesEveryCommandAndOption) {
    const QString usage = KelvoUsage();
    for (const char* word :
         {"--home DIR", "capture", "--on-clash auto|skip", "--on-duplicate ask|save|skip",
          "history [DAY]", "--same FILE", "--similar FILE", "table dump [--types]", "table convert",
          "--help", "--version"})
        EXPECT_TRUE(usage.contains(word)) << word;
    EXPECT_EQ(KelvoCaption(), "ケルボ v" + KelvoVersion());
    EXPECT_FALSE(KelvoVersion().isEmpty());
}

} // namespace
} // namespace kelvo
