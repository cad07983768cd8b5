#include "codepage.h"
#include "memory_grid.h"
#include "rank_analysis.h"

#include <gtest/gtest.h>

using namespace tamsel;

namespace {

TItemInfo item(std::string id, int32_t actualRank, int32_t sales)
{
    TItemInfo info;
    info.ItemId = id;
    info.Title = "title " + id;
    info.Price = "9.90";
    info.ActualRank = actualRank;
    info.Sales = sales;
    return info;
}

TItemRecordInfo record(std::string id)
{
    TItemRecordInfo info;
    info.ItemId = std::move(id);
    return info;
}

std::vector<std::string> row(const StringGrid& grid, int r)
{
    std::vector<std::string> cells;
    for (int c = 0; c < grid.colCount(); ++c)
        cells.push_back(grid.cell(c, r));
    return cells;
}

struct Analysis : ::testing::Test {
    RunItems items;
    MemoryGrid sgData2{5, 2};
    MemoryGrid sgData3{9, 2};

    // P, Q, R, S at actual ranks 1 to 4 with sales 5, 7, 5, 9.
    void listPQRS()
    {
        items.DefaultOrderItems = {item("P", 1, 5), item("Q", 2, 7), item("R", 3, 5), item("S", 4, 9)};
        items.SalesOrderItems = {record("S"), record("Q"), record("P"), record("R")};
    }
};

const std::string normal = utf8ToGbk("重要宝贝权值正常");
const std::string demoted = utf8ToGbk("重要宝贝被隐性降权");

}  // namespace

TEST_F(Analysis, RanksEqualSalesByTheExchangeSortNotByListingOrder)
{
    listPQRS();
    BuildItemsBySales(items);
    ASSERT_EQ(items.ItemsBySales.size(), 4u);
    const char* expected[] = {"S", "Q", "R", "P"};
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(items.ItemsBySales[static_cast<size_t>(i)].ItemId, expected[i]);
        EXPECT_EQ(items.ItemsBySales[static_cast<size_t>(i)].TheoreticalRank, i + 1);
    }
    EXPECT_EQ(items.DefaultOrderItems[0].TheoreticalRank, 0);  // the listing itself stays as it was
}

TEST_F(Analysis, WritesTheRankingByRankDifferenceWithVerdicts)
{
    listPQRS();
    AnalyseRanks(items, sgData2, sgData3);

    EXPECT_EQ(sgData3.rowCount(), 6);
    EXPECT_EQ(row(sgData3, 1), (std::vector<std::string>{"1", "title P", "5", "9.90", "1", "4", "3", normal, "P"}));
    EXPECT_EQ(row(sgData3, 2), (std::vector<std::string>{"2", "title R", "5", "9.90", "3", "3", "0", normal, "R"}));
    EXPECT_EQ(row(sgData3, 3), (std::vector<std::string>{"3", "title Q", "7", "9.90", "2", "2", "0", normal, "Q"}));
    EXPECT_EQ(row(sgData3, 4), (std::vector<std::string>{"4", "title S", "9", "9.90", "4", "1", "-3", demoted, "S"}));
    EXPECT_EQ(row(sgData3, 5), std::vector<std::string>(9));

    EXPECT_EQ(sgData2.rowCount(), 2);
    EXPECT_EQ(sgData2.cell(0, 1), "");
    EXPECT_EQ(sgData2.cell(1, 1), utf8ToGbk("店铺宝贝共4个 ，没有被降权宝贝"));
}

TEST_F(Analysis, ListsAnItemMissingFromTheSalesOrderAsDemotedOnly)
{
    listPQRS();
    items.SalesOrderItems = {record("S"), record("P"), record("R")};
    AnalyseRanks(items, sgData2, sgData3);

    EXPECT_EQ(sgData2.rowCount(), 3);
    EXPECT_EQ(row(sgData2, 1), (std::vector<std::string>{"1", "title Q", "7", "9.90", "Q"}));
    EXPECT_EQ(sgData3.rowCount(), 5);
    EXPECT_EQ(sgData3.cell(8, 1), "P");
    EXPECT_EQ(sgData3.cell(5, 1), "4");
    EXPECT_EQ(sgData3.cell(8, 2), "R");
    EXPECT_EQ(sgData3.cell(5, 2), "3");
    EXPECT_EQ(sgData3.cell(8, 3), "S");
    EXPECT_EQ(sgData3.cell(5, 3), "1");
    EXPECT_EQ(sgData3.cell(0, 3), "3");
}

TEST_F(Analysis, DemotesEveryCopyOfARepeatedMissingId)
{
    items.DefaultOrderItems = {item("A", 1, 3), item("D", 2, 8), item("D", 3, 1)};
    items.SalesOrderItems = {record("A")};
    AnalyseRanks(items, sgData2, sgData3);

    EXPECT_EQ(sgData2.rowCount(), 4);
    EXPECT_EQ(row(sgData2, 1), (std::vector<std::string>{"1", "title D", "8", "9.90", "D"}));
    EXPECT_EQ(row(sgData2, 2), (std::vector<std::string>{"2", "title D", "1", "9.90", "D"}));
    EXPECT_EQ(sgData3.rowCount(), 3);
    EXPECT_EQ(sgData3.cell(8, 1), "A");
}

TEST_F(Analysis, DemotesAnEmptyIdEvenWhenTheSalesOrderHasOne)
{
    items.DefaultOrderItems = {item("", 1, 3), item("B", 2, 2)};
    items.SalesOrderItems = {record(""), record("B")};
    AnalyseRanks(items, sgData2, sgData3);

    EXPECT_EQ(sgData2.rowCount(), 3);
    EXPECT_EQ(sgData2.cell(4, 1), "");
    EXPECT_EQ(sgData2.cell(1, 1), "title ");
    EXPECT_EQ(sgData3.rowCount(), 3);
    EXPECT_EQ(sgData3.cell(8, 1), "B");
}

TEST_F(Analysis, TreatsIdsDifferingInCaseAsDifferent)
{
    items.DefaultOrderItems = {item("abc", 1, 3)};
    items.SalesOrderItems = {record("ABC")};
    AnalyseRanks(items, sgData2, sgData3);
    EXPECT_EQ(sgData2.rowCount(), 3);
    EXPECT_EQ(sgData2.cell(4, 1), "abc");
    EXPECT_EQ(sgData3.rowCount(), 2);
}

TEST_F(Analysis, WithNoItemsReportsZeroAndLeavesTheRankingEmpty)
{
    AnalyseRanks(items, sgData2, sgData3);
    EXPECT_EQ(sgData2.rowCount(), 2);
    EXPECT_EQ(sgData2.cell(1, 1), utf8ToGbk("店铺宝贝共0个 ，没有被降权宝贝"));
    EXPECT_EQ(sgData3.rowCount(), 2);
    EXPECT_EQ(row(sgData3, 1), std::vector<std::string>(9));
    EXPECT_TRUE(items.ItemsBySales.empty());
}

TEST_F(Analysis, WithAnEmptySalesOrderDemotesEverything)
{
    listPQRS();
    items.SalesOrderItems.clear();
    AnalyseRanks(items, sgData2, sgData3);
    EXPECT_EQ(sgData2.rowCount(), 6);
    EXPECT_EQ(sgData2.cell(4, 1), "S");
    EXPECT_EQ(sgData3.rowCount(), 2);
}

TEST_F(Analysis, GivesVerdictsToTheTenBestSellersOnly)
{
    // Sales 11 down to 1 in listing order: theoretical rank equals actual rank.
    for (int32_t i = 1; i <= 11; ++i) {
        items.DefaultOrderItems.push_back(item(std::to_string(i), i, 12 - i));
        items.SalesOrderItems.push_back(record(std::to_string(i)));
    }
    AnalyseRanks(items, sgData2, sgData3);
    ASSERT_EQ(sgData3.rowCount(), 13);
    EXPECT_EQ(sgData3.cell(5, 10), "10");
    EXPECT_EQ(sgData3.cell(7, 10), normal);
    EXPECT_EQ(sgData3.cell(5, 11), "11");
    EXPECT_EQ(sgData3.cell(6, 11), "0");
    EXPECT_EQ(sgData3.cell(7, 11), "");
}
