#include "codepage.h"
#include "grid_rows.h"
#include "sort_grid.h"

#include <gtest/gtest.h>

using namespace tamsel;
using namespace tamsel::test;
using Texts = std::vector<std::string>;

namespace {

// Rows named in grid column 1 with their key in grid column 2.
MemoryGrid keyed(const std::vector<Row>& rows)
{
    return gridWithRows(rows, 3);
}

}  // namespace

TEST(SortByColumn, DescendingMovesLaterGreaterKeysUp)
{
    MemoryGrid grid = keyed({{"a", "1"}, {"b", "2"}, {"c", "2"}});
    TSortGrid::SortByColumn(grid, 1, 2);
    EXPECT_EQ(column(grid, 1), (Texts{"b", "c", "a"}));
    EXPECT_EQ(column(grid, 2), (Texts{"2", "2", "1"}));
}

TEST(SortByColumn, AscendingSwapsEqualKeys)
{
    MemoryGrid grid = keyed({{"a", "2"}, {"b", "1"}, {"c", "1"}});
    TSortGrid::SortByColumn(grid, 1, 1);
    EXPECT_EQ(column(grid, 1), (Texts{"c", "b", "a"}));
}

TEST(SortByColumn, AscendingOnSortedRepeatedKeysIsNotIdempotent)
{
    MemoryGrid grid = keyed({{"x", "1"}, {"y", "1"}, {"z", "2"}});
    TSortGrid::SortByColumn(grid, 1, 1);
    EXPECT_EQ(column(grid, 1), (Texts{"y", "x", "z"}));
    TSortGrid::SortByColumn(grid, 1, 1);
    EXPECT_EQ(column(grid, 1), (Texts{"x", "y", "z"}));
}

TEST(SortByColumn, DescendingOnSortedKeysChangesNothing)
{
    MemoryGrid grid = keyed({{"a", "9"}, {"b", "5"}, {"c", "5"}, {"d", "1"}});
    TSortGrid::SortByColumn(grid, 1, 2);
    EXPECT_EQ(column(grid, 1), (Texts{"a", "b", "c", "d"}));
}

TEST(SortByColumn, ToggleReversesAColumnOfEqualKeysOnEveryPress)
{
    MemoryGrid grid = keyed({{"a", "k"}, {"b", "k"}, {"c", "k"}, {"d", "k"}});
    TSortGrid::SortByColumn(grid, 1, 0);
    EXPECT_EQ(column(grid, 1), (Texts{"d", "c", "b", "a"}));
    TSortGrid::SortByColumn(grid, 1, 0);
    EXPECT_EQ(column(grid, 1), (Texts{"a", "b", "c", "d"}));
}

TEST(SortByColumn, ToggleAlternatesBetweenAscendingAndDescending)
{
    MemoryGrid grid = keyed({{"a", "30"}, {"b", "7"}, {"c", "100"}, {"d", ""}});
    TSortGrid::SortByColumn(grid, 1, 2);  // as at the end of a run
    EXPECT_EQ(column(grid, 2), (Texts{"100", "30", "7", ""}));
    TSortGrid::SortByColumn(grid, 1, 0);
    EXPECT_EQ(column(grid, 2), (Texts{"7", "30", "100", ""}));
    TSortGrid::SortByColumn(grid, 1, 0);
    EXPECT_EQ(column(grid, 2), (Texts{"100", "30", "7", ""}));
}

TEST(SortByColumn, KeepsTheBlankBottomRowAtTheBottom)
{
    // Sorting by titles: the blank row's empty title ranks lowest, yet it never rises.
    MemoryGrid grid = keyed({{"bb", "1"}, {"a", "2"}, {"", ""}});
    TSortGrid::SortByColumn(grid, 0, 1);
    EXPECT_EQ(column(grid, 1), (Texts{"a", "bb", ""}));
    TSortGrid::SortByColumn(grid, 0, 2);
    EXPECT_EQ(column(grid, 1), (Texts{"bb", "a", ""}));
}

TEST(SortByColumn, LetsRowsBlankInColumnTwoMoveDownButNeverUp)
{
    // Sorted by name, i.e. by length: "blank" ranks above the others.
    MemoryGrid grid = keyed({{"low", "1"}, {"blank", ""}, {"high", "5"}});
    TSortGrid::SortByColumn(grid, 0, 2);
    EXPECT_EQ(column(grid, 1), (Texts{"high", "blank", "low"}));
    grid = keyed({{"low", "1"}, {"blank", ""}, {"high", "5"}});
    TSortGrid::SortByColumn(grid, 0, 1);
    EXPECT_EQ(column(grid, 1), (Texts{"low", "high", "blank"}));
}

TEST(SortByColumn, SortsRankDifferencesAsNumbers)
{
    MemoryGrid grid = gridWithRows({{"a", "1", "", "", "", "-3"}, {"b", "1", "", "", "", "0"}, {"c", "1", "", "", "", "12"}}, 7);
    TSortGrid::SortByColumn(grid, 5, 2);
    EXPECT_EQ(column(grid, 6), (Texts{"12", "0", "-3"}));
    EXPECT_EQ(column(grid, 1), (Texts{"c", "b", "a"}));
}

TEST(SortByColumn, RanksVerdictsByLengthWithEmptyCellsLowest)
{
    const std::string demoted = utf8ToGbk("重要宝贝被隐性降权");
    const std::string normal = utf8ToGbk("重要宝贝权值正常");
    MemoryGrid grid = gridWithRows({{"a", "1", "", "", "", "", normal}, {"b", "1", "", "", "", "", ""}, {"c", "1", "", "", "", "", demoted}}, 8);
    TSortGrid::SortByColumn(grid, 6, 2);
    EXPECT_EQ(column(grid, 7), (Texts{demoted, normal, ""}));
}

TEST(SortByColumn, SortsTitlesByPiecesThenLengthThenBytes)
{
    MemoryGrid grid = keyed({{"zz", "1"}, {"abc", "1"}, {"x|y", "1"}, {"ab", "1"}});
    TSortGrid::SortByColumn(grid, 0, 2);
    EXPECT_EQ(column(grid, 1), (Texts{"x|y", "abc", "zz", "ab"}));
}

TEST(SortByColumn, KeepsRowNumbersAndTheHeaderInPlace)
{
    MemoryGrid grid = keyed({{"a", "1"}, {"b", "2"}, {"c", "3"}});
    TSortGrid::SortByColumn(grid, 1, 2);
    EXPECT_EQ(column(grid, 1), (Texts{"c", "b", "a"}));
    EXPECT_EQ(column(grid, 0), (Texts{"1", "2", "3"}));
    EXPECT_EQ(grid.cell(2, 0), "h2");
    EXPECT_EQ(grid.rowCount(), 4);
    EXPECT_EQ(grid.colCount(), 3);
}

TEST(SortByColumn, LeavesTheGridAloneForColumnsOutsideTheData)
{
    for (const int32_t dataCol : {-1, 2, 40}) {
        MemoryGrid grid = keyed({{"a", "1"}, {"b", "2"}});
        TSortGrid::SortByColumn(grid, dataCol, 2);
        EXPECT_EQ(column(grid, 1), (Texts{"a", "b"})) << dataCol;
    }
}

TEST(SortByColumn, MovesNothingInAGridWithoutColumnTwo)
{
    MemoryGrid grid = gridWithRows({{"a"}, {"bb"}}, 2);
    TSortGrid::SortByColumn(grid, 0, 2);
    EXPECT_EQ(column(grid, 1), (Texts{"a", "bb"}));
}

TEST(SortByColumn, LeavesAHeaderOnlyGridAlone)
{
    MemoryGrid grid = keyed({});
    TSortGrid::SortByColumn(grid, 1, 0);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.cell(1, 0), "h1");
}
