// Every shop of the simulated marketplace: the run is stored, the file reopened, and the run
// shown from it gives the grids the run left, cell by cell.
#include "catalogue.h"
#include "codepage.h"
#include "detection_run.h"
#include "headless_host.h"
#include "history_fixtures.h"
#include "history_store.h"
#include "market_simulator.h"
#include "memory_grid.h"
#include "result_grids.h"
#include "run_grids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

using namespace tamsel;
using namespace tamsel::history;
using namespace std::chrono_literals;

namespace {

void expectSameGrid(const StringGrid& shown, const StringGrid& left, const char* name)
{
    SCOPED_TRACE(name);
    ASSERT_EQ(shown.colCount(), left.colCount());
    ASSERT_EQ(shown.rowCount(), left.rowCount());
    for (int row = 0; row < left.rowCount(); ++row)
        for (int col = 0; col < left.colCount(); ++col)
            ASSERT_EQ(shown.cell(col, row), left.cell(col, row)) << "row " << row << ", column " << col;
}

class ShopRoundTripTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ShopRoundTripTest, ShowsTheGridsTheRunLeft)
{
    sim::MarketSimulatorOptions options;
    options.stallDuration = 60s;  // only the run's read timeout ends the stalled page
    sim::MarketSimulator simulator(std::move(options));
    HeadlessHost host(utf8ToGbk(GetParam()));
    DetectionRun run(host, "127.0.0.1:" + std::to_string(simulator.start()), 500);
    ASSERT_TRUE(host.runToEnd(run, 60s));
    ASSERT_TRUE(host.lastReport());

    test::TempDir dir;
    const std::string path = dir.file("history.sqlite3");
    const std::int64_t id = HistoryStore(path).save(MakeStoredRun(*host.lastReport(), run.items()));
    const std::optional<StoredRun> stored = HistoryStore(path).load(id);
    ASSERT_TRUE(stored);
    test::expectSameRun(*stored, MakeStoredRun(*host.lastReport(), run.items()));

    RunItems items = ItemsOf(*stored);
    EXPECT_EQ(test::allFields(items.DefaultOrderItems), test::allFields(run.items().DefaultOrderItems));
    EXPECT_EQ(test::allFields(items.ItemsBySales), test::allFields(run.items().ItemsBySales));
    MemoryGrid grid1(0, 0), grid2(0, 0), grid3(0, 0);
    SetupResultGrid(grid1, sgData1Columns());
    SetupResultGrid(grid2, sgData2Columns());
    SetupResultGrid(grid3, sgData3Columns());
    ShowRun(items, stored->report, grid1, grid2, grid3);
    expectSameGrid(grid1, host.sgData1(), "sgData1");
    expectSameGrid(grid2, host.sgData2(), "sgData2");
    expectSameGrid(grid3, host.sgData3(), "sgData3");
}

std::vector<std::string> shopNicks()
{
    std::vector<std::string> nicks;
    for (const sim::Shop& shop : sim::catalogue())
        nicks.push_back(shop.nick);
    return nicks;
}

INSTANTIATE_TEST_SUITE_P(Shops, ShopRoundTripTest, ::testing::ValuesIn(shopNicks()), [](const auto& info) {
    std::string name = info.param;
    std::replace_if(name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name + "_" + std::to_string(info.index);
});

}  // namespace
