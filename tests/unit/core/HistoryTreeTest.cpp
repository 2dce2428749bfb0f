#include "history/HistoryTree.h"

#include <QFile>
#include <QPersistentModelIndex>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

QDateTime At(int year, int month, int day) {
    return QDateTime(QDate(year, month, day), QTime(13, 5, 9));
}

class HistoryTreeTest : public ::testing::Test {
protected:
    QString PathOf(const QString& name) const { return dir_.filePath(name); }

    void WriteBytes(const QString& name, const QByteArray& bytes) const {
        QFile file(PathOf(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray SavedBytes() const {
        EXPECT_TRUE(tree_.Save(PathOf("TreeViewLogs.txt")));
        QFile file(PathOf("TreeViewLogs.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
    HistoryTree tree_;
};

TEST_F(HistoryTreeTest, CapturesAcrossAMonthEndAddAMonthAndADayEach) {
    EXPECT_TRUE(tree_.AddCaptureDayToTree(At(2006, 3, 31)).newMonth);
    const HistoryTree::DayAddition april = tree_.AddCaptureDayToTree(At(2006, 4, 1));
    EXPECT_TRUE(april.newMonth);
    EXPECT_TRUE(april.newDay);
    EXPECT_EQ(SavedBytes(), "2006年03月\r\n\t20060331\r\n2006年04月\r\n\t20060401\r\n");
}

TEST_F(HistoryTreeTest, ReportsOnlyWhatIsNew) {
    tree_.AddCaptureDayToTree(At(2006, 3, 31));
    const HistoryTree::DayAddition sameMonth = tree_.AddCaptureDayToTree(At(2006, 3, 2));
    EXPECT_FALSE(sameMonth.newMonth);
    EXPECT_TRUE(sameMonth.newDay);

    int insertions = 0;
    QObject::connect(&tree_, &QAbstractItemModel::rowsInserted, [&] { ++insertions; });
    const HistoryTree::DayAddition sameDay = tree_.AddCaptureDayToTree(At(2006, 3, 2));
    EXPECT_FALSE(sameDay.newMonth);
    EXPECT_FALSE(sameDay.newDay);
    EXPECT_EQ(insertions, 0);
    EXPECT_EQ(tree_.DayTexts("2006年03月"), QStringList({"20060302", "20060331"}));
}

TEST_F(HistoryTreeTest, KeepsMonthsAndDaysInOrder) {
    tree_.AddCaptureDayToTree(At(2006, 3, 31));
    tree_.AddCaptureDayToTree(At(2006, 4, 1));
    tree_.AddCaptureDayToTree(At(2005, 12, 24));
    tree_.AddCaptureDayToTree(At(2006, 3, 10));
    EXPECT_EQ(tree_.MonthTexts(), QStringList({"2005年12月", "2006年03月", "2006年04月"}));
    EXPECT_EQ(tree_.DayTexts("2006年03月"), QStringList({"20060310", "20060331"}));
    EXPECT_TRUE(tree_.DayTexts("2007年01月").isEmpty());
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

TEST_F(HistoryTreeTest, FindsMonthsByTheirPositionAmongAllNodes) {
    tree_.AddCaptureDayToTree(At(2006, 3, 1));
    tree_.AddCaptureDayToTree(At(2006, 3, 2));
    tree_.AddCaptureDayToTree(At(2006, 4, 1));
    EXPECT_EQ(tree_.FindMonthNode("2006年03月"), 0);
    EXPECT_EQ(tree_.FindMonthNode("2006年04月"), 3);
    EXPECT_EQ(tree_.FindMonthNode("20060301"), -1); // day nodes are not months
    EXPECT_EQ(tree_.FindMonthNode("2006年05月"), -1);

    EXPECT_TRUE(tree_.HasDayNode(3, "20060401"));
    EXPECT_FALSE(tree_.HasDayNode(0, "20060401"));
    EXPECT_FALSE(tree_.HasDayNode(1, "20060301")); // position 1 is a day
    EXPECT_FALSE(tree_.HasDayNode(-1, "20060401"));
    EXPECT_FALSE(tree_.HasDayNode(9, "20060401"));
}

TEST_F(HistoryTreeTest, CountsPositionsThroughDeeperNodesOfALoadedFile) {
    WriteBytes("TreeViewLogs.txt", "a\r\n\tb\r\n\t\tc\r\n\td\r\n\t\te\r\nf\r\n");
    ASSERT_TRUE(tree_.Load(PathOf("TreeViewLogs.txt")));
    EXPECT_EQ(tree_.FindMonthNode("f"), 5);
    EXPECT_TRUE(tree_.HasDayNode(1, "c"));
    EXPECT_TRUE(tree_.HasDayNode(3, "e"));
    EXPECT_FALSE(tree_.HasDayNode(3, "c"));
}

TEST_F(HistoryTreeTest, SavesAndLoadsTheSameTree) {
    tree_.AddCaptureDayToTree(At(2006, 3, 31));
    tree_.AddCaptureDayToTree(At(2006, 4, 1));
    tree_.AddCaptureDayToTree(At(2006, 4, 2));
    ASSERT_TRUE(tree_.Save(PathOf("TreeViewLogs.txt")));

    HistoryTree reloaded;
    QString error;
    ASSERT_TRUE(reloaded.Load(PathOf("TreeViewLogs.txt"), &error)) << error.toStdString();
    EXPECT_EQ(reloaded.MonthTexts(), tree_.MonthTexts());
    EXPECT_EQ(reloaded.DayTexts("2006年04月"), QStringList({"20060401", "20060402"}));
    EXPECT_FALSE(tree_.Save(PathOf("missing/TreeViewLogs.txt")));
}

TEST_F(HistoryTreeTest, LoadsBlankIndentedAndShiftJisFiles) {
    WriteBytes("blanks.txt", "2006年03月\r\n 20060331\r\n2006年04月\r\n 20060401\r\n");
    ASSERT_TRUE(tree_.Load(PathOf("blanks.txt")));
    EXPECT_EQ(SavedBytes(), "2006年03月\r\n\t20060331\r\n2006年04月\r\n\t20060401\r\n");

    // 2006年03月 in CP932, as the Windows program wrote it.
    WriteBytes("sjis.txt", "2006\x94\x4E"
                           "03\x8C\x8E\r\n\t20060331\r\n");
    ASSERT_TRUE(tree_.Load(PathOf("sjis.txt")));
    EXPECT_EQ(tree_.MonthTexts(), QStringList({"2006年03月"}));
    EXPECT_FALSE(tree_.AddCaptureDayToTree(At(2006, 3, 31)).newDay);
}

TEST_F(HistoryTreeTest, LoadKeepsTheFileOrderUntilTheNextAddition) {
    WriteBytes("TreeViewLogs.txt", "2006年04月\r\n2006年03月\r\n\t20060331\r\n");
    ASSERT_TRUE(tree_.Load(PathOf("TreeViewLogs.txt")));
    EXPECT_EQ(tree_.MonthTexts(), QStringList({"2006年04月", "2006年03月"}));
    tree_.AddCaptureDayToTree(At(2006, 3, 1));
    EXPECT_EQ(tree_.MonthTexts(), QStringList({"2006年03月", "2006年04月"}));
}

TEST_F(HistoryTreeTest, LoadReplacesTheTreeAndToleratesAMissingFile) {
    tree_.AddCaptureDayToTree(At(2006, 3, 31));
    QString error;
    EXPECT_TRUE(tree_.Load(PathOf("TreeViewLogs.txt"), &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(tree_.rowCount(), 0);
}

TEST_F(HistoryTreeTest, InvalidLevelKeepsTheNodesBeforeItAndNamesTheLine) {
    WriteBytes("TreeViewLogs.txt", "2006年03月\r\n\t20060331\r\n\t\t\tx\r\n2006年04月\r\n");
    QString error;
    EXPECT_FALSE(tree_.Load(PathOf("TreeViewLogs.txt"), &error));
    EXPECT_EQ(error, QStringLiteral("TreeViewLogs.txt の 3 行目の階層が正しくありません。"));
    EXPECT_EQ(tree_.MonthTexts(), QStringList({"2006年03月"}));
    EXPECT_EQ(tree_.DayTexts("2006年03月"), QStringList({"20060331"}));
}

} // namespace
} // namespace kelvo
