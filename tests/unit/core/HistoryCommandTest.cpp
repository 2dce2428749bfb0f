#include "commands/HistoryCommand.h"
#include "commands/CommandOutput.h"
#include "support/CapturedHome.h"
#include "support/Times.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using testing::At;

class HistoryCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        captured.Capture("b.jpg", At(2006, 3, 31, 23, 59, 59), "https://example.com/\tpage");
        captured.Capture("a.png", At(2006, 3, 31, 8, 0, 0));
        captured.Capture("c.gif", At(2006, 4, 1, 0, 0, 1));
        ASSERT_TRUE(captured.history.Save(captured.home + "TreeViewLogs.txt"));
    }

    int Run(const QStringList& args) {
        errors.clear();
        CommandOutput out;
        QTextStream err(&errors);
        const int code = RunHistoryCommand(args, captured.home, out, err);
        err.flush();
        output = QString::fromUtf8(out.Gathered().data(), qsizetype(out.Gathered().size()));
        return code;
    }

    QTemporaryDir temp;
    testing::CapturedHome captured{temp.path()};
    QString output, errors;
};

TEST_F(HistoryCommandTest, PrintsTheMonthsAndDays) {
    EXPECT_EQ(Run({}), 0);
    EXPECT_EQ(output, "2006年03月\n\t20060331\n2006年04月\n\t20060401\n");
}

TEST_F(HistoryCommandTest, PrintsADaysCapturesInLogOrder) {
    EXPECT_EQ(Run({"20060331"}), 0) << errors.toStdString();
    const QString folder = captured.pictures;
    EXPECT_EQ(output, "b.jpg\t2006/03/31 23:59:59\t壁紙\thttps://example.com/%09page\t" + folder +
                          "\n" + "a.png\t2006/03/31 08:00:00\t壁紙\t\t" + folder + "\n");
}

TEST_F(HistoryCommandTest, ADayNotInTheTreeOrWrongUsageFails) {
    EXPECT_EQ(Run({"20060330"}), 1);
    EXPECT_TRUE(errors.contains("20060330")) << errors.toStdString();
    EXPECT_TRUE(output.isEmpty());
    EXPECT_EQ(Run({"20060331", "20060401"}), 2);
    EXPECT_TRUE(errors.startsWith("kelvo history: one day at most")) << errors.toStdString();
    EXPECT_EQ(Run({"--all"}), 2);
    EXPECT_TRUE(errors.startsWith("kelvo history: unknown option --all")) << errors.toStdString();
    EXPECT_TRUE(errors.contains("Usage: kelvo [--home DIR] history")) << errors.toStdString();
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_TRUE(output.startsWith("Usage: kelvo [--home DIR] history")) << output.toStdString();
    // A day of the tree whose log was deleted lists nothing.
    QFile::remove(captured.home + "Logs/2006年04月/20060401.txt");
    EXPECT_EQ(Run({"20060401"}), 0);
    EXPECT_TRUE(output.isEmpty());
}

} // namespace
} // namespace kelvo
