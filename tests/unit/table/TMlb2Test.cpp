#include "support/Tables.h"

#include "table/TMLBStringList.h"
#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvo {
namespace {

using testing::AddRow;
using testing::Dump;
using testing::MakeColumns;

TEST(TMLBStringListTest, EntriesAreOwnedCopiesAndAbsentIsNotEmpty) {
    TMLBStringList list;
    std::string source = "alpha";
    for (Text text : {Text(source), Text(), Text(""), Text("alpha")})
        list.Add(text);
    source[0] = 'X'; // the list holds its own copy
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.At(1), Text("alpha"));
    EXPECT_EQ(list.At(2), std::nullopt);
    EXPECT_EQ(list.At(3), Text(""));
    EXPECT_EQ(list.At(5), std::nullopt);
    // Absent counts as the empty text; the first equal entry wins.
    EXPECT_EQ(list.IndexOf("alpha"), 1);
    EXPECT_EQ(list.IndexOf(""), 2);
    EXPECT_EQ(list.IndexOf("ALPHA"), 0);
    EXPECT_TRUE(list.Replace(1, std::nullopt) && list.Replace(2, "beta"));
    EXPECT_FALSE(list.Replace(0, "x") || list.Replace(5, "x"));
    EXPECT_EQ(list.At(1), std::nullopt);
    EXPECT_EQ(list.At(2), Text("beta"));
}

TEST(TMlb2Test, ClearedTableIsEmptyAndKeepsNameAndOptions) {
    TMlb2 table;
    EXPECT_TRUE(table.AtEnd());
    MakeColumns(table, {"A"});
    AddRow(table, {"1"});
    table.SetTableName("log");
    table.Concordances().caseSignificant = false;
    table.Clear();
    EXPECT_EQ(Dump(table), "");
    EXPECT_TRUE(table.IsEmpty() && table.AtEnd() && table.CurrentRow() == 0);
    EXPECT_FALSE(table.MoveFirst() || table.MoveLast() || table.MoveNext() || table.MoveTo(1));
    EXPECT_EQ(table.TableName(), "log");
    EXPECT_FALSE(table.Concordances().caseSignificant);
}

TEST(TMlb2Test, ColumnsHaveNamesAndTypesAndReachExistingRows) {
    TMlb2 table;
    MakeColumns(table, {"Name", "Name"}); // duplicates are allowed
    AddRow(table, {"a1"});
    table.AddColumn("");
    EXPECT_EQ(Dump(table), "Name Name  | [a1] - -"); // absent in the rows already there
    EXPECT_EQ(table.GetCell(3, 1), "");
    EXPECT_EQ(table.GetColumnType(3), Text("STRING"));
    EXPECT_TRUE(!table.GetColumnName(0) && !table.GetColumnName(4) && !table.GetColumnType(4));
    EXPECT_TRUE(table.SetColumnType(2, "FLOAT"));
    EXPECT_FALSE(table.SetColumnType(0, "FLOAT") || table.SetColumnType(4, "FLOAT"));
    EXPECT_EQ(Dump(table), "Name Name:FLOAT  | [a1] - -");
}

TEST(TMlb2Test, AppendRowLeavesCurrentRowAndFailedMovesSetAtEnd) {
    TMlb2 table;
    MakeColumns(table, {"A"});
    table.AppendRow();
    EXPECT_EQ(table.CurrentRow(), 0);
    EXPECT_FALSE(table.SetValue("A", "x")); // no current row yet
    ASSERT_TRUE(table.MoveNext());
    EXPECT_TRUE(table.CurrentRow() == 1 && !table.AtEnd());
    table.AppendRow();
    table.AppendRow();
    EXPECT_EQ(table.CurrentRow(), 1);
    EXPECT_TRUE(table.MoveNext() && table.CurrentRow() == 2);
    EXPECT_TRUE(table.MoveLast() && table.CurrentRow() == 3);
    EXPECT_TRUE(table.SetValue("A", "3"));

    // A failed move sets AtEnd and keeps the current row.
    EXPECT_FALSE(table.MoveNext());
    EXPECT_TRUE(table.AtEnd());
    EXPECT_EQ(table.GetValue("A"), Text("3"));
    EXPECT_TRUE(table.MoveTo(2) && !table.AtEnd());
    EXPECT_FALSE(table.MoveTo(0));
    EXPECT_TRUE(table.AtEnd() && table.CurrentRow() == 2);
    EXPECT_TRUE(table.MoveTo(1));
    EXPECT_FALSE(table.MoveTo(4));
    EXPECT_TRUE(table.AtEnd() && table.CurrentRow() == 1);
}

TEST(TMlb2Test, ScanOpensOnlyWithRowsAndEndScanRepairsCurrentRow) {
    TMlb2 table;
    MakeColumns(table, {"A"});
    EXPECT_FALSE(table.BeginScan(1) || table.EndScan());
    table.AppendRow();
    table.AppendRow();
    EXPECT_TRUE(table.BeginScan(1) && table.EndScan());
    EXPECT_TRUE(table.CurrentRow() == 2 && !table.AtEnd()); // none current: the last one
    ASSERT_TRUE(table.MoveFirst());
    EXPECT_TRUE(table.EndScan());
    EXPECT_EQ(table.CurrentRow(), 1); // a valid current row stays
}

TEST(TMlb2Test, ValuesByNameReachOnlyTheFirstExactlyNamedColumn) {
    TMlb2 table;
    MakeColumns(table, {"Name", "Name", "Size"});
    AddRow(table, {});
    EXPECT_TRUE(table.SetValue("Name", "first") && table.SetValueAt(2, "second"));
    EXPECT_TRUE(table.SetValue("Size", ""));
    EXPECT_EQ(table.GetValue("Name"), Text("first"));
    EXPECT_FALSE(table.SetValue("name", "x") || table.SetValue("?", "x") ||
                 table.SetValueAt(4, "x"));
    EXPECT_EQ(table.GetValue("name"), std::nullopt);
    EXPECT_EQ(table.GetValueAt(0), std::nullopt);
    EXPECT_EQ(Dump(table), "Name Name Size | [first] [second] []");
}

TEST(TMlb2Test, GetCellMovesLikeMoveToAndNeverReturnsAbsent) {
    TMlb2 table;
    MakeColumns(table, {"A", "B"});
    AddRow(table, {"a1", std::nullopt});
    AddRow(table, {"a2", "b2"});
    EXPECT_EQ(table.GetCell(2, 2), "b2");
    EXPECT_EQ(table.GetCell(1, 1), "a1");
    EXPECT_EQ(table.GetCell(2, 1), "");
    EXPECT_EQ(table.GetCell(3, 1), "");
    EXPECT_TRUE(table.CurrentRow() == 1 && !table.AtEnd());
    EXPECT_EQ(table.GetCell(1, 3), "");
    EXPECT_TRUE(table.CurrentRow() == 1 && table.AtEnd());
}

TEST(TableNameTest, NameIsBetweenLastSlashAndLastDot) {
    EXPECT_EQ(TableNameFromPath("/home/u/ListView.txt"), "ListView");
    EXPECT_EQ(TableNameFromPath("/x/a.b/file"), "a");
    EXPECT_EQ(TableNameFromPath("file"), "file");
    EXPECT_EQ(TableNameFromPath("log.2024.txt"), "log.2024");
    EXPECT_EQ(TableNameFromPath("/dir/.txt"), "");
    EXPECT_EQ(TableNameFromPath("c:\\dir\\x.csv"), "c:\\dir\\x"); // only "/" separates
}

} // namespace
} // namespace kelvo
