#include "destinations/DestinationList.h"

#include <QPersistentModelIndex>

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(DestinationList, FindsWholeIdentifiersIgnoringLetterCaseFromTheFirst) {
    DestinationList list;
    list.Reset({{"photos", "/p/"}, {"Wall", "/w/"}, {"PHOTOS", "/q/"}});
    EXPECT_EQ(list.FindByIdentifier("Photos"), 0); // the first of two
    EXPECT_EQ(list.FindByIdentifier("wall"), 1);
    EXPECT_EQ(list.FindByIdentifier("Photo"), -1);
    EXPECT_EQ(list.FindByIdentifier("photos2"), -1);
    EXPECT_EQ(list.FindByIdentifier(""), -1);
}

TEST(DestinationList, ShowsTwoNamedColumnsAndReportsEveryChange) {
    DestinationList list;
    EXPECT_EQ(list.headerData(0, Qt::Horizontal).toString(), QStringLiteral("識別名"));
    EXPECT_EQ(list.headerData(1, Qt::Horizontal).toString(), QStringLiteral("保存先フォルダ"));
    int inserted = 0, changed = 0, removed = 0;
    QObject::connect(&list, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    QObject::connect(&list, &QAbstractItemModel::dataChanged, [&] { ++changed; });
    QObject::connect(&list, &QAbstractItemModel::rowsRemoved, [&] { ++removed; });

    EXPECT_EQ(list.Append({"a", "/a/"}), 0);
    EXPECT_EQ(list.Append({"b", "/b/"}), 1);
    list.Replace(1, {"c", "/c/"});
    list.Remove(0);
    EXPECT_EQ(inserted, 2);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(removed, 1);
    ASSERT_EQ(list.rowCount(), 1);
    EXPECT_EQ(list.columnCount(), 2);
    EXPECT_EQ(list.data(list.index(0, 0)).toString(), "c");
    EXPECT_EQ(list.data(list.index(0, 1)).toString(), "/c/");
}

TEST(DestinationList, SortIsCaseSensitiveStableAndSelectionsFollow) {
    DestinationList list;
    list.Reset({{"b", "/b1/"}, {"B", "/B/"}, {"a", "/a/"}, {"b", "/b2/"}, {"c", "/c/"}});
    const QPersistentModelIndex selected(list.index(3, 1)); // the second "b"
    const QPersistentModelIndex first(list.index(0, 0));
    list.Sort();
    const auto at = [&](const char* identifier, const char* folder) {
        return list.All().indexOf(SaveDestination{identifier, folder});
    };
    // Equal identifiers keep their order; "B" is not equal to "b", so it goes
    // before or after both (where depends on the locale).
    EXPECT_LT(at("a", "/a/"), at("b", "/b1/"));
    EXPECT_LT(at("b", "/b1/"), at("b", "/b2/"));
    EXPECT_LT(at("b", "/b2/"), at("c", "/c/"));
    EXPECT_FALSE(at("b", "/b1/") < at("B", "/B/") && at("B", "/B/") < at("b", "/b2/"));
    ASSERT_TRUE(selected.isValid());
    EXPECT_EQ(list.At(selected.row()).folder, "/b2/");
    EXPECT_EQ(selected.column(), 1);
    EXPECT_EQ(list.At(first.row()).folder, "/b1/");
}

TEST(TrailingSeparator, IsAddedOnlyWhenMissing) {
    EXPECT_EQ(WithTrailingSeparator("/data/pics"), "/data/pics/");
    EXPECT_EQ(WithTrailingSeparator("/data/pics/"), "/data/pics/");
    EXPECT_EQ(WithTrailingSeparator(""), "");
}

} // namespace
} // namespace kelvo
