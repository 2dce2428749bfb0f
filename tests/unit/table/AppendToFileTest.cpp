#include "files/FileBytes.h"
#include "table/TableForms.h"

#include "support/StdFiles.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using testing::FileSizeLimit;
using testing::ReadBytes;
using testing::WriteBytes;

const auto kAlways = [](const FileEnds&) { return true; };

TEST(AppendToFile, AppendsAfterLookingAtTheEndsAndDeclinesWhatItMustNotTouch) {
    testing::TempDir dir;
    const std::string path = dir.File("log.txt");
    WriteBytes(path, "header\r\nrow 1\r\n");
    FileEnds seen;
    const auto remember = [&](const FileEnds& ends) {
        seen = ends;
        return true;
    };
    EXPECT_EQ(AppendToFile(path, "row 2\r\n", 6, 2, remember), AppendResult::Appended);
    EXPECT_EQ(seen.size, 15u);
    EXPECT_EQ(seen.head, "header");
    EXPECT_EQ(seen.tail, "\r\n");
    EXPECT_EQ(ReadBytes(path), "header\r\nrow 1\r\nrow 2\r\n");

    // Ends longer than the file are the whole file.
    WriteBytes(path, "ab");
    EXPECT_EQ(AppendToFile(path, "c", 10, 10, remember), AppendResult::Appended);
    EXPECT_EQ(seen.head, "ab");
    EXPECT_EQ(seen.tail, "ab");

    EXPECT_EQ(AppendToFile(path, "d", 1, 1, [](const FileEnds&) { return false; }),
              AppendResult::Declined);
    EXPECT_EQ(ReadBytes(path), "abc");
    EXPECT_EQ(AppendToFile(dir.File("missing.txt"), "x", 1, 1, kAlways), AppendResult::Declined);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"log.txt"}) << "a missing file is not made";
}

TEST(AppendToFile, AWriteThatFallsShortIsTakenBackWhole) {
    testing::TempDir dir;
    const std::string path = dir.File("log.txt");
    WriteBytes(path, "header\r\n");
    {
        FileSizeLimit limit(12);
        EXPECT_EQ(AppendToFile(path, "a row that does not fit\r\n", 1, 1, kAlways),
                  AppendResult::Failed);
    }
    EXPECT_EQ(ReadBytes(path), "header\r\n");
}

TEST(QuotedFormWholeLines, EndsAtTheLastLineEndOutsideQuotes) {
    const std::string whole = "\"a\";\"b\"\r\n\"1\";\"2\"\r\n";
    EXPECT_EQ(QuotedFormWholeLines(whole), whole.size());
    EXPECT_EQ(QuotedFormWholeLines(whole + "\"3\";\"4\""), whole.size());
    EXPECT_EQ(QuotedFormWholeLines(whole + "\"3\r\n"), whole.size()) << "line end inside quotes";
    EXPECT_EQ(QuotedFormWholeLines(whole + "\"x\"\"\r\n"), whole.size()) << "a doubled quote";
    EXPECT_EQ(QuotedFormWholeLines(whole + "\"x\"\"\"\r\n"), whole.size() + 7);
    EXPECT_EQ(QuotedFormWholeLines("bare;values\n"), 12u);
    EXPECT_EQ(QuotedFormWholeLines("\"header without its line end\""), 0u);
    EXPECT_EQ(QuotedFormWholeLines(""), 0u);
}

} // namespace
} // namespace kelvo
