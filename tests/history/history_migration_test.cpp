// A history file of the first version, written by the program as it was then: demo-shop complete,
// fault-500 (page 2 of both orders failed), fault-login, and demo-shop with sales-order page 2
// failed. It comes up with every run as it was, and invents no change where runs of that version
// kept no places for their gaps.
#include "codepage.h"
#include "history_fixtures.h"
#include "history_store.h"
#include "memory_grid.h"
#include "rank_history.h"
#include "result_grids.h"
#include "run_comparison.h"
#include "run_grids.h"
#include "schema.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tamsel;
using namespace tamsel::history;

namespace {

struct ShownGrids {
    explicit ShownGrids(const StoredRun& run)
    {
        SetupResultGrid(sgData1, sgData1Columns());
        SetupResultGrid(sgData2, sgData2Columns());
        SetupResultGrid(sgData3, sgData3Columns());
        RunItems items = ItemsOf(run);
        ShowRun(items, run.report, sgData1, sgData2, sgData3);
    }
    MemoryGrid sgData1{0, 0}, sgData2{0, 0}, sgData3{0, 0};
};

}  // namespace

TEST(HistoryMigration, AFirstVersionFileComesUpAndInventsNoChange)
{
    test::TempDir dir;
    const std::string path = dir.file("history.sqlite3");
    std::filesystem::copy_file(TAMSEL_HISTORY_DATA "/history-v1.sqlite3", path);
    HistoryStore store(path);
    EXPECT_EQ(sql::Connection(path).pragmaInteger("PRAGMA user_version"), SchemaVersion);

    struct Listed {
        std::int64_t id;
        const char* seller;
        RunOutcome outcome;
        int demotedOutright;
        int demotedUnchecked;  // what the first version could not place is all in doubt
    };
    const Listed expected[] = {
        {4, "demo-shop", RunOutcome::Incomplete, 53, 53},
        {3, "fault-login", RunOutcome::Failed, 0, 0},
        {2, "fault-500", RunOutcome::Incomplete, 0, 0},
        {1, "demo-shop", RunOutcome::Complete, 5, 0},
    };
    const std::vector<RunSummary> runs = store.list();
    ASSERT_EQ(runs.size(), std::size(expected));
    for (std::size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(expected[i].id);
        EXPECT_EQ(runs[i].id, expected[i].id);
        EXPECT_EQ(runs[i].sellerId, expected[i].seller);
        EXPECT_EQ(runs[i].outcome, expected[i].outcome);
        EXPECT_EQ(runs[i].demotedOutright, expected[i].demotedOutright);
        EXPECT_EQ(runs[i].demotedUnchecked, expected[i].demotedUnchecked);
        EXPECT_EQ(runs[i].unreadable, "");
    }

    const StoredRun complete = *store.load(1);
    const StoredRun bothPages = *store.load(2);
    const StoredRun salesPage = *store.load(4);
    EXPECT_EQ(bothPages.report.unseenItems, 48);
    EXPECT_EQ(bothPages.report.problems.at(0).gapAfter, -1);
    EXPECT_EQ(gbkToUtf8(ShownGrids(bothPages).sgData2.cell(1, 1)),
              "探测不完整：销量排序第 2 页、默认排序第 2 页未取得，约 48 个宝贝未检查，结果可能不全");
    const ShownGrids shown(salesPage);
    EXPECT_EQ(shown.sgData2.rowCount(), 53 + 3);  // the demoted rows, the note, the empty row
    EXPECT_EQ(gbkToUtf8(shown.sgData2.cell(1, 54)), "探测不完整：销量排序第 2 页未取得，约 53 个宝贝未检查，结果可能不全");
    // The complete run's grids are those it left: five items demoted outright.
    EXPECT_EQ(ShownGrids(complete).sgData2.rowCount(), 5 + 2);

    const RunComparison comparison = CompareRuns({complete.report, complete.defaultOrder, complete.salesOrder},
                                                 {salesPage.report, salesPage.defaultOrder, salesPage.salesOrder});
    EXPECT_EQ(comparison.newlyDemotedOutright.size(), 0u);
    EXPECT_EQ(comparison.unchecked.size(), 53u);

    // The complete run's demotions, read from its records once, as the streaks need them: five
    // items missing from the sales order and three top sellers ranked below their sales.
    const std::vector<RunDemotions> demotions = store.demotions("demo-shop");
    ASSERT_EQ(demotions.size(), 2u);
    EXPECT_EQ(demotions[0].runId, 1);
    EXPECT_EQ(demotions[0].demoted, (std::set<std::string>{"17459802934", "17459804930", "17459805400", "17459808569",
                                                            "17459841984", "17459879913", "17459904493", "17459929444"}));
    EXPECT_EQ(std::tuple(demotions[1].runId, demotions[1].outcome, demotions[1].demoted.size()),
              std::tuple(std::int64_t{4}, RunOutcome::Incomplete, std::size_t{0}));

    const std::vector<ShopHistoryPoint> points = ShopHistory(runs, "demo-shop");
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(std::tuple(points[0].runId, points[0].complete, points[0].demotedOutright), std::tuple(1, true, 5));
    EXPECT_EQ(std::tuple(points[1].runId, points[1].complete, points[1].demotedOutright), std::tuple(4, false, 0));
}
