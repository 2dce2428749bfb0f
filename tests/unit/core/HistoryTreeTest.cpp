#include "logs/HistoryTree.h"
#include "support/Files.h"
#include "support/Times.h"

#include <QDir>
#include <QFileInfo>
#include <QPersistentModelIndex>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

// A day of the history, at one time of day for all.
QDateTime At(int year, int month, int day) {
    return testing::At(year, month, day, 13, 5, 9);
}

class HistoryTreeTest : public ::testing::Test {
protected:
    QString PathOf(const QString& name) const { return dir_.filePath(name); }

    void WriteBytes(const QString& name, const QByteArray& bytes) const {
        ASSERT_TRUE(testing::WriteBytes(PathOf(name), bytes)) << name.toStdString();
    }

    QByteArray SavedBytes() const {
        EXPECT_TRUE(tree_.Save(PathOf("TreeViewLogs.txt")));
        return testing::ReadBytes(PathOf("TreeViewLogs.txt"));
    }

    QTemporaryDir dir_;
    HistoryTree tree_;
};

TEST_F(HistoryTreeTest, AddsMonthsAndDaysInOrderReportingWhatIsNewAndSavesThem) {
    EXPECT_TRUE(tree_.AddCaptureDayToTree(At(2006, 3, 31)).newMonth);
    const HistoryTree::DayAddition april = tree_.AddCaptureDayToTree(At(2006, 4, 1));
    EXPECT_TRUE(april.newMonth && april.newDay);
    const HistoryTree::DayAddition sameMonth = tree_.AddCaptureDayToTree(At(2006, 3, 2));
    EXPECT_FALSE(sameMonth.newMonth);
    EXPECT_TRUE(sameMonth.newDay);

    int insertions = 0;
    QObject::connect(&tree_, &QAbstractItemModel::rowsInserted, [&] { ++insertions; });
    const HistoryTree::DayAddition sameDay = tree_.AddCaptureDayToTree(At(2006, 3, 2));
    EXPECT_FALSE(sameDay.newMonth || sameDay.newDay);
    EXPECT_EQ(insertions, 0);

    tree_.AddCaptureDayToTree(At(2005, 12, 24));
    EXPECT_EQ(tree_.MonthTexts(), QStringList({"2005年12月", "2006年03月", "2006年04月"}));
    EXPECT_EQ(tree_.DayTexts("2006年03月"), QStringList({"20060302", "20060331"}));
    EXPECT_TRUE(tree_.DayTexts("2007年01月").isEmpty());
    EXPECT_EQ(SavedBytes(), "2005年12月\r\n\t20051224\r\n2006年03月\r\n\t20060302\r\n"
                            "\t20060331\r\n2006年04月\r\n\t20060401\r\n");

    HistoryTree reloaded;
    QString error;
    ASSERT_TRUE(reloaded.Load(PathOf("TreeViewLogs.txt"), &error)) << error.toStdString();
    EXPECT_EQ(reloaded.MonthTexts(), tree_.MonthTexts());
    EXPECT_EQ(reloaded.DayTexts("2006年03月"), tree_.DayTexts("2006年03月"));
    EXPECT_FALSE(tree_.Save(PathOf("missing/TreeViewLogs.txt")));
}

TEST_F(HistoryTreeTest, SelectionStaysOnItsDayWhileNodesAreAdded) {
    tree_.AddCaptureDayToTree(At(2006, 3, 31));
    const QModelIndex march = tree_.index(0, 0);
    const QPersistentModelIndex selected(tree_.index(0, 0, march));
    ASSERT_EQ(selected.data().toString(), "20060331");

    tree_.AddCaptureDayToTree(At(2006, 3, 1));   // a day before it in its month
    tree_.AddCaptureDayToTree(At(2005, 11, 30)); // a month before its month
    tree_.AddCaptureDayToTree(At(2006, 4, 1));

    ASSERT_TRUE(selected.isValid());
    EXPECT_EQ(selected.data().toString(), "20060331");
    EXPECT_EQ(selected.row(), 1);
    EXPECT_EQ(selected.parent().data().toString(), "2006年03月");
    EXPECT_EQ(selected.parent().row(), 1);
    EXPECT_EQ(tree_.rowCount(), 3);
    EXPECT_EQ(tree_.rowCount(selected), 0);
}

TEST_F(HistoryTreeTest, FindsNodesByTheirPositionAmongAllNodes) {
    WriteBytes("TreeViewLogs.txt", "a\r\n\tb\r\n\t\tc\r\n\td\r\n\t\te\r\nf\r\n");
    ASSERT_TRUE(tree_.Load(PathOf("TreeViewLogs.txt")));
    EXPECT_EQ(tree_.FindMonthNode("a"), 0);
    EXPECT_EQ(tree_.FindMonthNode("f"), 5);
    EXPECT_EQ(tree_.FindMonthNode("b"), -1); // only top-level nodes are months
    EXPECT_EQ(tree_.FindMonthNode("x"), -1);

    EXPECT_TRUE(tree_.HasDayNode(0, "b"));
    EXPECT_FALSE(tree_.HasDayNode(0, "c"));
    EXPECT_TRUE(tree_.HasDayNode(1, "c"));
    EXPECT_TRUE(tree_.HasDayNode(3, "e"));
    EXPECT_FALSE(tree_.HasDayNode(3, "c"));
    EXPECT_FALSE(tree_.HasDayNode(-1, "b") || tree_.HasDayNode(9, "b"));
}

TEST_F(HistoryTreeTest, LoadReplacesTheTreeAndKeepsTheFileOrderUntilTheNextAddition) {
    tree_.AddCaptureDayToTree(At(2006, 3, 31));
    WriteBytes("TreeViewLogs.txt", "2006年04月\r\n2006年03月\r\n\t20060331\r\n");
    ASSERT_TRUE(tree_.Load(PathOf("TreeViewLogs.txt")));
    EXPECT_EQ(tree_.MonthTexts(), QStringList({"2006年04月", "2006年03月"}));
    tree_.AddCaptureDayToTree(At(2006, 3, 1));
    EXPECT_EQ(tree_.MonthTexts(), QStringList({"2006年03月", "2006年04月"}));

    // A missing file is no error and leaves the tree empty.
    QString error;
    EXPECT_TRUE(tree_.Load(PathOf("missing.txt"), &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(tree_.rowCount(), 0);
}

// The file is kept as it was; the days it could not tell come from the logs.
TEST_F(HistoryTreeTest, ATreeReadInPartNamesTheLineAndNeverReplacesItsFile) {
    const QByteArray damaged = "2006年03月\r\n\t20060331\r\n\t\t\tx\r\n2006年04月\r\n";
    WriteBytes("TreeViewLogs.txt", damaged);
    for (const char* log : {"Logs/2006年04月/20060402.txt", "Logs/2006年03月/20060331.txt",
                            "Logs/2006年04月/notes.txt", "Logs/2006年05月/20060401.txt"}) {
        QDir().mkpath(QFileInfo(PathOf(log)).path());
        WriteBytes(log, "");
    }
    QString error;
    EXPECT_FALSE(tree_.Load(PathOf("TreeViewLogs.txt"), &error));
    EXPECT_TRUE(
        error.startsWith(QStringLiteral("TreeViewLogs.txt の 3 行目の階層が正しくありません。")))
        << error.toStdString();
    EXPECT_FALSE(tree_.ReadWhole());
    EXPECT_EQ(tree_.MonthTexts(), QStringList({"2006年03月", "2006年04月"}));
    EXPECT_EQ(tree_.DayTexts("2006年04月"), QStringList({"20060402"}));

    tree_.AddCaptureDayToTree(At(2006, 6, 1));
    EXPECT_EQ(SavedBytes(), damaged);
}

TEST_F(HistoryTreeTest, AnUnreadableTreeIsKeptAndTheLogsTellTheDays) {
    QDir().mkpath(PathOf("TreeViewLogs.txt")); // a folder: no file to read
    QDir().mkpath(PathOf("Logs/2006年03月"));
    WriteBytes("Logs/2006年03月/20060315.txt", "");
    QString error;
    EXPECT_FALSE(tree_.Load(PathOf("TreeViewLogs.txt"), &error));
    EXPECT_TRUE(error.contains("読み込めません")) << error.toStdString();
    EXPECT_EQ(tree_.DayTexts("2006年03月"), QStringList({"20060315"}));
    EXPECT_TRUE(tree_.Save(PathOf("TreeViewLogs.txt")));
    EXPECT_TRUE(QFileInfo(PathOf("TreeViewLogs.txt")).isDir());
}

} // namespace
} // namespace kelvo
