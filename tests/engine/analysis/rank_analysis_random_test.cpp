#include "memory_grid.h"
#include "rank_analysis.h"
#include "system_texts.h"

#include <gtest/gtest.h>

#include <random>

using namespace tamsel;

namespace {

// The id of the first sales-order record with this id, by a scan from the start; empty when none.
std::string firstSalesOrderId(const RunItems& items, const std::string& id)
{
    for (const TItemRecordInfo& record : items.SalesOrderItems)
        if (record.ItemId == id)
            return record.ItemId;
    return {};
}

// The analysis as a plain procedure: whole records swapped in place, every
// lookup a scan from the start.
void referenceAnalysis(RunItems& items, StringGrid& sgData2, StringGrid& sgData3)
{
    std::vector<TItemInfo>& bySales = items.ItemsBySales;
    bySales = items.DefaultOrderItems;
    for (size_t i = 0; i < bySales.size(); ++i)
        for (size_t j = i; j < bySales.size(); ++j)
            if (bySales[j].Sales > bySales[i].Sales)
                std::swap(bySales[i], bySales[j]);
    for (size_t i = 0; i < bySales.size(); ++i)
        bySales[i].TheoreticalRank = static_cast<int32_t>(i + 1);

    std::vector<std::string> demotedIds;
    for (const TItemInfo& info : bySales) {
        if (!firstSalesOrderId(items, info.ItemId).empty())
            continue;
        const int k = static_cast<int>(demotedIds.size()) + 1;
        const std::string cells[] = {std::to_string(k), info.Title, std::to_string(info.Sales), info.Price, info.ItemId};
        for (int c = 0; c < 5; ++c)
            sgData2.setCell(c, k, cells[c]);
        sgData2.setRowCount(sgData2.rowCount() + 1);
        demotedIds.push_back(info.ItemId);
    }
    if (demotedIds.empty())
        sgData2.setCell(1, 1, allClearMessage(static_cast<int32_t>(bySales.size())));

    std::vector<TItemInfo> ranked = bySales;
    for (TItemInfo& info : ranked)
        info.RankDiff = info.ActualRank - info.TheoreticalRank;
    for (size_t i = 0; i < ranked.size(); ++i)
        for (size_t j = i; j < ranked.size(); ++j)
            if (ranked[j].RankDiff < ranked[i].RankDiff)
                std::swap(ranked[i], ranked[j]);

    int k = 0;
    for (const TItemInfo& info : ranked) {
        bool isDemoted = false;
        for (const std::string& id : demotedIds) {
            if (id == info.ItemId) {
                isDemoted = true;
                break;
            }
        }
        if (isDemoted)
            continue;
        ++k;
        const std::string cells[] = {std::to_string(k), info.Title, std::to_string(info.Sales), info.Price,
            std::to_string(info.ActualRank), std::to_string(info.TheoreticalRank),
            std::to_string(info.TheoreticalRank - info.ActualRank)};
        for (int c = 0; c < 7; ++c)
            sgData3.setCell(c, k, cells[c]);
        if (info.TheoreticalRank <= 10)
            sgData3.setCell(7, k, std::string(info.TheoreticalRank < info.ActualRank ? VerdictDemoted : VerdictNormal));
        sgData3.setCell(8, k, info.ItemId);
        sgData3.setRowCount(sgData3.rowCount() + 1);
    }
}

void expectSameGrid(const StringGrid& actual, const StringGrid& expected)
{
    ASSERT_EQ(actual.rowCount(), expected.rowCount());
    for (int r = 0; r < expected.rowCount(); ++r)
        for (int c = 0; c < expected.colCount(); ++c)
            ASSERT_EQ(actual.cell(c, r), expected.cell(c, r)) << "cell (" << c << ", " << r << ")";
}

}  // namespace

TEST(AnalyseRanks, MatchesThePlainProcedureOnRandomListings)
{
    std::mt19937 random(20240601);
    for (int round = 0; round < 60; ++round) {
        RunItems items;
        const int count = static_cast<int>(random() % 120);
        // Few distinct ids and sales, so that repeated ids, empty ids and equal sales abound.
        const int idRange = 1 + count;
        for (int i = 0; i < count; ++i) {
            TItemInfo info;
            const unsigned id = random() % static_cast<unsigned>(idRange);
            info.ItemId = id == 0 ? "" : "id" + std::to_string(id);
            info.Title = "t" + std::to_string(i);
            info.Price = std::to_string(random() % 100);
            info.ActualRank = i + 1;
            info.Sales = static_cast<int32_t>(random() % 12);
            items.DefaultOrderItems.push_back(info);
            if (random() % 5 != 0) {
                TItemRecordInfo record;
                record.ItemId = random() % 10 == 0 ? "" : info.ItemId;
                items.SalesOrderItems.push_back(record);
            }
        }
        RunItems expectedItems = items;
        MemoryGrid sgData2(5, 2), sgData3(9, 2), expected2(5, 2), expected3(9, 2);
        AnalyseRanks(items, sgData2, sgData3);
        referenceAnalysis(expectedItems, expected2, expected3);

        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(items.ItemsBySales.size(), expectedItems.ItemsBySales.size());
        for (size_t i = 0; i < items.ItemsBySales.size(); ++i) {
            EXPECT_EQ(items.ItemsBySales[i].Title, expectedItems.ItemsBySales[i].Title);
            EXPECT_EQ(items.ItemsBySales[i].TheoreticalRank, expectedItems.ItemsBySales[i].TheoreticalRank);
        }
        expectSameGrid(sgData2, expected2);
        expectSameGrid(sgData3, expected3);
    }
}
