#include "TableTestSupport.h"

#include "table/TMLBStringList.h"
#include "table/TMlb2.h"
#include "table/TableForms.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvo {
namespace {

using test::AddRow;
using test::At;
using test::MakeColumns;
using test::ValueAt;

TEST(TMLBStringListTest, AddAtReplaceKeepAbsentApartFromEmpty) {
    TMLBStringList list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.At(1), std::nullopt);

    std::string source = "alpha";
    list.Add(source);
    list.Add(std::nullopt);
    list.Add("");
    source[0] = 'X'; // the list holds its own copy
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.At(1), Text("alpha"));
    EXPECT_EQ(list.At(2), std::nullopt);
    EXPECT_EQ(list.At(3), Text(""));
    EXPECT_EQ(list.At(0), std::nullopt);
    EXPECT_EQ(list.At(4), std::nullopt);
    EXPECT_EQ(list.At(-1), std::nullopt);

    EXPECT_TRUE(list.Replace(1, std::nullopt));
    EXPECT_EQ(list.At(1), std::nullopt);
    EXPECT_TRUE(list.Replace(2, "beta"));
    EXPECT_EQ(list.At(2), Text("beta"));
    EXPECT_FALSE(list.Replace(0, "x"));
    EXPECT_FALSE(list.Replace(4, "x"));
    EXPECT_EQ(list.Count(), 3);

    // Going back after a forward access still finds the right entry.
    EXPECT_EQ(list.At(3), Text(""));
    EXPECT_EQ(list.At(2), Text("beta"));

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.At(1), std::nullopt);
    EXPECT_FALSE(list.Replace(1, "x"));
}

TEST(TMLBStringListTest, IndexOfFindsFirstExactMatchWithAbsentAsEmpty) {
    TMLBStringList list;
    list.Add("a");
    list.Add(std::nullopt);
    list.Add("b");
    list.Add("a");
    list.Add("");
    EXPECT_EQ(list.IndexOf("a"), 1);
    EXPECT_EQ(list.IndexOf("b"), 3);
    EXPECT_EQ(list.IndexOf(""), 2);
    EXPECT_EQ(list.IndexOf("A"), 0);
    EXPECT_EQ(list.IndexOf("a "), 0);
    EXPECT_EQ(list.IndexOf("\x82\xa0"), 0);
}

TEST(TMLBListTest, RowsAreAddedCountedAndCleared) {
    TMLBList rows;
    EXPECT_TRUE(rows.IsEmpty());
    EXPECT_EQ(rows.Count(), 0);
    EXPECT_EQ(rows.At(1), nullptr);

    rows.AddRow().Add("r1");
    TMLBStringList& second = rows.AddRow();
    second.Add("r2");
    EXPECT_FALSE(rows.IsEmpty());
    EXPECT_EQ(rows.Count(), 2);
    ASSERT_NE(rows.At(2), nullptr);
    EXPECT_EQ(rows.At(1)->At(1), Text("r1"));
    EXPECT_EQ(rows.At(2)->At(1), Text("r2"));
    EXPECT_EQ(rows.At(0), nullptr);
    EXPECT_EQ(rows.At(3), nullptr);

    rows.Clear();
    EXPECT_TRUE(rows.IsEmpty());
    EXPECT_EQ(rows.Count(), 0);
}

TEST(TMlb2Test, ClearedTableIsEmptyAndEveryMoveFails) {
    TMlb2 table;
    EXPECT_TRUE(table.AtEnd());
    table.Clear();
    EXPECT_EQ(table.ColumnCount(), 0);
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_TRUE(table.AtEnd());
    EXPECT_EQ(table.CurrentRow(), 0);
    EXPECT_FALSE(table.MoveFirst());
    EXPECT_FALSE(table.MoveLast());
    EXPECT_FALSE(table.MoveNext());
    EXPECT_FALSE(table.MoveTo(1));
    EXPECT_TRUE(table.AtEnd());
    EXPECT_EQ(table.TableName(), "");
    EXPECT_EQ(table.Separator(), ';');
    EXPECT_EQ(table.QuoteChar(), '"');
    EXPECT_TRUE(table.Concordances().spacesSignificant);
    EXPECT_TRUE(table.Concordances().caseSignificant);
    EXPECT_TRUE(table.Concordances().wildcardsOn);
}

TEST(TMlb2Test, ClearEmptiesContentsButKeepsNameAndOptions) {
    TMlb2 table;
    MakeColumns(table, {"A", "B"});
    AddRow(table, {"1", "2"});
    table.SetTableName("log");
    table.Concordances().caseSignificant = false;

    table.Clear();
    EXPECT_EQ(table.ColumnCount(), 0);
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(table.CurrentRow(), 0);
    EXPECT_TRUE(table.AtEnd());
    EXPECT_EQ(table.GetColumnName(1), std::nullopt);
    EXPECT_EQ(table.TableName(), "log");
    EXPECT_FALSE(table.Concordances().caseSignificant);
}

TEST(TMlb2Test, ColumnsHaveNamesAndTypes) {
    TMlb2 table;
    table.Clear();
    std::string name = "Name";
    table.AddColumn(name);
    name = "changed";
    table.AddColumn("Name"); // duplicates are allowed
    table.AddColumn("");
    EXPECT_EQ(table.ColumnCount(), 3);
    EXPECT_EQ(table.GetColumnName(1), Text("Name"));
    EXPECT_EQ(table.GetColumnName(2), Text("Name"));
    EXPECT_EQ(table.GetColumnName(3), Text(""));
    EXPECT_EQ(table.GetColumnType(1), Text("STRING"));
    EXPECT_EQ(table.GetColumnType(3), Text("STRING"));
    EXPECT_EQ(table.GetColumnName(0), std::nullopt);
    EXPECT_EQ(table.GetColumnName(4), std::nullopt);
    EXPECT_EQ(table.GetColumnType(0), std::nullopt);
    EXPECT_EQ(table.GetColumnType(4), std::nullopt);

    EXPECT_TRUE(table.SetColumnType(2, "FLOAT"));
    EXPECT_EQ(table.GetColumnType(2), Text("FLOAT"));
    EXPECT_EQ(table.GetColumnType(1), Text("STRING"));
    EXPECT_FALSE(table.SetColumnType(0, "FLOAT"));
    EXPECT_FALSE(table.SetColumnType(4, "FLOAT"));
    EXPECT_EQ(table.ColumnCount(), 3);
}

TEST(TMlb2Test, AddColumnGivesExistingRowsAnAbsentValue) {
    TMlb2 table;
    MakeColumns(table, {"A"});
    AddRow(table, {"a1"});
    AddRow(table, {"a2"});
    table.AddColumn("B");
    EXPECT_EQ(table.ColumnCount(), 2);
    EXPECT_EQ(At(table, 2, 1), "");
    ASSERT_TRUE(table.MoveTo(2));
    EXPECT_EQ(table.GetValue("B"), std::nullopt);
    EXPECT_EQ(table.GetValue("A"), Text("a2"));
    EXPECT_TRUE(table.SetValue("B", "b2"));
    EXPECT_EQ(ValueAt(table, 2, 2), Text("b2"));
    EXPECT_EQ(ValueAt(table, 2, 1), std::nullopt);
}

TEST(TMlb2Test, AppendRowLeavesCurrentRowAndMoveNextReachesIt) {
    TMlb2 table;
    MakeColumns(table, {"A", "B"});
    table.AppendRow();
    EXPECT_EQ(table.RowCount(), 1);
    EXPECT_FALSE(table.IsEmpty());
    EXPECT_EQ(table.CurrentRow(), 0);
    EXPECT_EQ(table.GetValue("A"), std::nullopt);
    EXPECT_FALSE(table.SetValue("A", "x")); // no current row yet
    ASSERT_TRUE(table.MoveNext());
    EXPECT_EQ(table.CurrentRow(), 1);
    EXPECT_FALSE(table.AtEnd());
    EXPECT_EQ(table.GetValueAt(1), std::nullopt);
    EXPECT_EQ(table.GetValueAt(2), std::nullopt);

    table.AppendRow();
    EXPECT_EQ(table.CurrentRow(), 1);
    EXPECT_TRUE(table.MoveNext());
    EXPECT_EQ(table.CurrentRow(), 2);
}

TEST(TMlb2Test, MovesSucceedInsideTheRowsAndFailOutside) {
    TMlb2 table;
    MakeColumns(table, {"A"});
    for (const char* value : {"1", "2", "3"})
        AddRow(table, {value});

    EXPECT_TRUE(table.MoveFirst());
    EXPECT_EQ(table.CurrentRow(), 1);
    EXPECT_TRUE(table.MoveNext());
    EXPECT_EQ(table.GetValue("A"), Text("2"));
    EXPECT_TRUE(table.MoveLast());
    EXPECT_EQ(table.CurrentRow(), 3);

    EXPECT_FALSE(table.MoveNext());
    EXPECT_TRUE(table.AtEnd());
    EXPECT_EQ(table.CurrentRow(), 3);
    EXPECT_EQ(table.GetValue("A"), Text("3"));

    EXPECT_TRUE(table.MoveTo(2));
    EXPECT_FALSE(table.AtEnd());
    EXPECT_FALSE(table.MoveTo(0));
    EXPECT_TRUE(table.AtEnd());
    EXPECT_EQ(table.CurrentRow(), 2);
    EXPECT_TRUE(table.MoveTo(1));
    EXPECT_FALSE(table.MoveTo(4));
    EXPECT_TRUE(table.AtEnd());
    EXPECT_EQ(table.CurrentRow(), 1);
    EXPECT_FALSE(table.MoveTo(-1));
    EXPECT_EQ(table.CurrentRow(), 1);

    // A successful move clears the at-end flag again.
    EXPECT_TRUE(table.MoveFirst());
    EXPECT_FALSE(table.AtEnd());
}

TEST(TMlb2Test, ScanOpensOnlyWithRowsAndEndScanRepairsCurrentRow) {
    TMlb2 table;
    MakeColumns(table, {"A"});
    EXPECT_FALSE(table.BeginScan(1));
    EXPECT_FALSE(table.EndScan());

    AddRow(table, {"1"});
    AddRow(table, {"2"});
    EXPECT_TRUE(table.BeginScan(1));
    ASSERT_TRUE(table.MoveFirst());
    EXPECT_TRUE(table.EndScan());
    EXPECT_EQ(table.CurrentRow(), 1); // a valid current row stays

    table.Clear();
    table.AddColumn("A");
    table.AppendRow();
    table.AppendRow();
    EXPECT_EQ(table.CurrentRow(), 0);
    EXPECT_TRUE(table.EndScan());
    EXPECT_EQ(table.CurrentRow(), 2);
    EXPECT_FALSE(table.AtEnd());
}

TEST(TMlb2Test, ValuesByNameReachOnlyTheFirstExactlyNamedColumn) {
    TMlb2 table;
    MakeColumns(table, {"Name", "Name", "Size"});
    table.AppendRow();
    ASSERT_TRUE(table.MoveNext());

    EXPECT_TRUE(table.SetValue("Name", "first"));
    EXPECT_EQ(table.GetValueAt(1), Text("first"));
    EXPECT_EQ(table.GetValueAt(2), std::nullopt);
    EXPECT_TRUE(table.SetValueAt(2, "second"));
    EXPECT_EQ(table.GetValue("Name"), Text("first"));

    EXPECT_FALSE(table.SetValue("name", "x"));
    EXPECT_FALSE(table.SetValue("Missing", "x"));
    EXPECT_EQ(table.GetValue("name"), std::nullopt);
    EXPECT_EQ(table.GetValue("Missing"), std::nullopt);
    EXPECT_EQ(table.GetValueAt(1), Text("first"));

    std::string value = "12";
    EXPECT_TRUE(table.SetValue("Size", value));
    value = "99";
    EXPECT_EQ(table.GetValue("Size"), Text("12"));
    EXPECT_TRUE(table.SetValue("Size", ""));
    EXPECT_EQ(table.GetValue("Size"), Text(""));
    EXPECT_TRUE(table.SetValue("Size", std::nullopt));
    EXPECT_EQ(table.GetValue("Size"), std::nullopt);

    EXPECT_FALSE(table.SetValueAt(0, "x"));
    EXPECT_FALSE(table.SetValueAt(4, "x"));
    EXPECT_EQ(table.GetValueAt(0), std::nullopt);
    EXPECT_EQ(table.GetValueAt(4), std::nullopt);

    // Shift-JIS bytes are kept as they are.
    EXPECT_TRUE(table.SetValueAt(3, "\x83\x65\x83\x58\x83\x67"));
    EXPECT_EQ(table.GetValueAt(3), Text("\x83\x65\x83\x58\x83\x67"));
}

TEST(TMlb2Test, GetCellMovesLikeMoveToAndNeverReturnsAbsent) {
    TMlb2 table;
    MakeColumns(table, {"A", "B"});
    AddRow(table, {"a1", std::nullopt});
    AddRow(table, {"a2", "b2"});

    EXPECT_EQ(table.GetCell(1, 1), "a1");
    EXPECT_EQ(table.CurrentRow(), 1);
    EXPECT_EQ(table.GetCell(2, 1), "");
    EXPECT_EQ(table.GetCell(2, 2), "b2");
    EXPECT_EQ(table.CurrentRow(), 2);
    EXPECT_EQ(table.GetCell(3, 1), "");
    EXPECT_EQ(table.CurrentRow(), 1);
    EXPECT_FALSE(table.AtEnd());

    EXPECT_EQ(table.GetCell(1, 3), "");
    EXPECT_TRUE(table.AtEnd());
    EXPECT_EQ(table.CurrentRow(), 1);
    EXPECT_EQ(table.GetCell(1, 0), "");
    EXPECT_EQ(table.CurrentRow(), 1);
}

TEST(TMlb2Test, FindAndChangeLoopVisitsEveryRow) {
    TMlb2 table;
    MakeColumns(table, {"File", "Folder"});
    AddRow(table, {"a.jpg", "/x"});
    AddRow(table, {"b.jpg", "/x"});
    AddRow(table, {"b.jpg", "/y"});

    ASSERT_TRUE(table.MoveTo(1));
    ASSERT_TRUE(table.BeginScan(1));
    int visited = 0;
    while (!table.AtEnd()) {
        ++visited;
        if (table.Matches("File", "=", "b.jpg") && table.Matches("Folder", "=", "/y")) {
            EXPECT_TRUE(table.SetValue("File", "c.jpg"));
            table.MoveLast();
        } else {
            table.MoveNext();
        }
    }
    EXPECT_TRUE(table.EndScan());
    EXPECT_EQ(visited, 4); // the changed last row is looked at once more
    EXPECT_EQ(At(table, 1, 1), "a.jpg");
    EXPECT_EQ(At(table, 1, 2), "b.jpg");
    EXPECT_EQ(At(table, 1, 3), "c.jpg");
}

TEST(TableNameTest, NameIsBetweenLastSlashAndLastDot) {
    EXPECT_EQ(TableNameFromPath("/home/u/ListView.txt"), "ListView");
    EXPECT_EQ(TableNameFromPath("/x/a.b/file"), "a");
    EXPECT_EQ(TableNameFromPath("file"), "file");
    EXPECT_EQ(TableNameFromPath("log.2024.txt"), "log.2024");
    EXPECT_EQ(TableNameFromPath("/dir/.txt"), "");
    EXPECT_EQ(TableNameFromPath("/dir/name"), "name");
    // Only "/" separates folders here.
    EXPECT_EQ(TableNameFromPath("c:\\dir\\x.csv"), "c:\\dir\\x");
    EXPECT_EQ(TableNameFromPath("/d/c:x.txt"), "c:x");
}

} // namespace
} // namespace kelvo
