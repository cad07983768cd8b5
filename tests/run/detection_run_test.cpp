#include "catalogue.h"
#include "codepage.h"
#include "detection_run.h"
#include "headless_host.h"
#include "market_pages.h"
#include "market_simulator.h"
#include "system_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

using namespace tamsel;
using namespace std::chrono_literals;

namespace {

constexpr auto RunLimit = 60s;

std::string number(long value) { return std::to_string(value); }

const sim::Shop& shop(const std::string& nick)
{
    const sim::Shop* found = sim::findShop(nick);
    if (found == nullptr)
        throw std::logic_error("no such shop: " + nick);
    return *found;
}

class DetectionRunTest : public ::testing::Test {
protected:
    void startSimulator(sim::MarketSimulatorOptions options = {})
    {
        simulator_ = std::make_unique<sim::MarketSimulator>(std::move(options));
        searchHost_ = "127.0.0.1:" + std::to_string(simulator_->start());
    }

    // One whole run for the seller id (UTF-8, converted as if typed) on the host thread of the test.
    void detect(const std::string& sellerIdUtf8, int readTimeoutMs = DetectionRun::DefaultReadTimeoutMs)
    {
        if (!simulator_)
            startSimulator();
        host_.setSellerIdText(utf8ToGbk(sellerIdUtf8));
        DetectionRun run(host_, searchHost_, readTimeoutMs);
        ASSERT_TRUE(host_.runToEnd(run, RunLimit));
        EXPECT_TRUE(host_.searchEnabled());
        items_ = run.items();
    }

    int listingRequests() const
    {
        const auto records = simulator_->requests();
        return static_cast<int>(std::count_if(records.begin(), records.end(), [](const sim::RequestRecord& r) {
            return r.method == "GET" && r.path == "/itemlist/default.htm";
        }));
    }

    // sgData1 lists exactly `expected`, numbered 1, 2, 3... without a gap.
    void expectAllItemsGrid(const std::vector<sim::CatalogueItem>& expected)
    {
        const StringGrid& grid = host_.sgData1();
        ASSERT_EQ(grid.rowCount(), static_cast<int>(expected.size()) + 2);
        for (size_t i = 0; i < expected.size(); ++i) {
            const int row = static_cast<int>(i) + 1;
            SCOPED_TRACE("sgData1 row " + number(row));
            EXPECT_EQ(grid.cell(0, row), number(row));
            EXPECT_EQ(grid.cell(1, row), sim::scannedTitleGbk(expected[i]));
            EXPECT_EQ(grid.cell(2, row), number(expected[i].sales));
            EXPECT_EQ(grid.cell(3, row), expected[i].price);
            EXPECT_EQ(grid.cell(4, row), "");
            EXPECT_EQ(grid.cell(5, row), expected[i].itemId);
        }
        EXPECT_EQ(grid.cell(1, grid.rowCount() - 1), "");
    }

    HeadlessHost host_{""};
    std::unique_ptr<sim::MarketSimulator> simulator_;
    std::string searchHost_;
    RunItems items_;
};

TEST_F(DetectionRunTest, SmallShopGivesEveryGridExactly)
{
    const sim::Shop& demo = shop("demo-shop");
    detect("demo-shop");
    expectAllItemsGrid(demo.defaultOrder);
    EXPECT_EQ(listingRequests(), 6);

    // Ranks and sales as the marketplace's default order holds them.
    std::map<std::string, int> actualRank;
    std::multiset<int> allSales;
    for (size_t i = 0; i < demo.defaultOrder.size(); ++i) {
        actualRank[demo.defaultOrder[i].itemId] = static_cast<int>(i) + 1;
        allSales.insert(demo.defaultOrder[i].sales);
    }

    // sgData2: exactly the items the sales order leaves out, best seller first.
    std::set<std::string> demotedIds;
    for (const auto& item : demo.defaultOrder)
        if (item.demoted)
            demotedIds.insert(item.itemId);
    ASSERT_FALSE(demotedIds.empty());
    const StringGrid& demotedGrid = host_.sgData2();
    ASSERT_EQ(demotedGrid.rowCount(), static_cast<int>(demotedIds.size()) + 2);
    std::set<std::string> shownDemoted;
    for (int row = 1; row + 1 < demotedGrid.rowCount(); ++row) {
        EXPECT_EQ(demotedGrid.cell(0, row), number(row));
        shownDemoted.insert(demotedGrid.cell(4, row));
        if (row > 1) {
            EXPECT_GE(std::stoi(demotedGrid.cell(2, row - 1)), std::stoi(demotedGrid.cell(2, row)));
        }
    }
    EXPECT_EQ(shownDemoted, demotedIds);

    // sgData3: every other item, by sales descending, theoretical rank within its sales tie.
    const StringGrid& ranking = host_.sgData3();
    ASSERT_EQ(ranking.rowCount(), static_cast<int>(demo.defaultOrder.size() - demotedIds.size()) + 2);
    std::set<int> theoreticalRanks;
    int demotedVerdicts = 0;
    for (int row = 1; row + 1 < ranking.rowCount(); ++row) {
        SCOPED_TRACE("sgData3 row " + number(row));
        const std::string id = ranking.cell(8, row);
        const int sales = std::stoi(ranking.cell(2, row));
        const int actual = std::stoi(ranking.cell(4, row));
        const int theoretical = std::stoi(ranking.cell(5, row));
        EXPECT_EQ(ranking.cell(0, row), number(row));
        EXPECT_EQ(demotedIds.count(id), 0u);
        EXPECT_EQ(actual, actualRank.at(id));
        const auto better = std::distance(allSales.upper_bound(sales), allSales.end());
        const auto tied = static_cast<long>(allSales.count(sales));
        EXPECT_GT(theoretical, better);
        EXPECT_LE(theoretical, better + tied);
        EXPECT_TRUE(theoreticalRanks.insert(theoretical).second);
        EXPECT_EQ(ranking.cell(6, row), number(theoretical - actual));
        if (theoretical > 10) {
            EXPECT_EQ(ranking.cell(7, row), "");
        } else if (theoretical < actual) {
            EXPECT_EQ(ranking.cell(7, row), VerdictDemoted);
            ++demotedVerdicts;
        } else {
            EXPECT_EQ(ranking.cell(7, row), VerdictNormal);
        }
        if (row > 1) {
            EXPECT_GE(std::stoi(ranking.cell(2, row - 1)), sales);
        }
    }
    EXPECT_GT(demotedVerdicts, 0);
    EXPECT_EQ(items_.DefaultOrderItems.size(), demo.defaultOrder.size());
    EXPECT_EQ(items_.SalesOrderItems.size(), demo.salesOrder.size());
}

TEST_F(DetectionRunTest, ChineseNickTravelsAsUtf8AndTitlesStayGbk)
{
    const sim::Shop& chinese = shop("小美的店");
    detect("小美的店");
    expectAllItemsGrid(chinese.defaultOrder);
    const auto records = simulator_->requests();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front().method, "POST");
    EXPECT_NE(records.back().target.find("&nick=%E5%B0%8F%E7%BE%8E%E7%9A%84%E5%BA%97&"), std::string::npos);
}

TEST_F(DetectionRunTest, EmptyShopEndsWithTheAllClearMessageForNoItems)
{
    detect("empty-shop");
    EXPECT_EQ(host_.sgData1().rowCount(), 2);
    EXPECT_EQ(host_.sgData2().cell(1, 1), allClearMessage(0));
    EXPECT_EQ(host_.sgData3().rowCount(), 2);
    EXPECT_EQ(listingRequests(), 2);
}

TEST_F(DetectionRunTest, FailingMiddlePageIsSkippedAndRanksHaveNoGap)
{
    const sim::Shop& faulty = shop("fault-500");
    detect("fault-500");
    std::vector<sim::CatalogueItem> expected = faulty.defaultOrder;
    const auto pageStart = static_cast<std::ptrdiff_t>((faulty.faultPage - 1) * sim::kPageSize);
    expected.erase(expected.begin() + pageStart, expected.begin() + pageStart + sim::kPageSize);
    expectAllItemsGrid(expected);
    EXPECT_EQ(listingRequests(), 6);
}

TEST_F(DetectionRunTest, StalledPageTimesOutAndTheRunGoesOn)
{
    sim::MarketSimulatorOptions options;
    options.stallDuration = 3000ms;
    startSimulator(std::move(options));
    const sim::Shop& faulty = shop("fault-stall");
    detect("fault-stall", 300);
    // The pages after the stalled one still arrive: the last item is listed.
    const StringGrid& grid = host_.sgData1();
    ASSERT_GT(grid.rowCount(), 2);
    EXPECT_EQ(grid.cell(5, grid.rowCount() - 2), faulty.defaultOrder.back().itemId);
    EXPECT_LT(items_.DefaultOrderItems.size(), faulty.defaultOrder.size());
}

TEST_F(DetectionRunTest, EndlessPageCountStopsAtTheCountInForce)
{
    detect("fault-endless");
    EXPECT_EQ(listingRequests(), 10);  // five pages in each order
    EXPECT_TRUE(host_.searchEnabled());
}

TEST_F(DetectionRunTest, RedirectedAndTruncatedPagesStillEndTheRun)
{
    detect("fault-redirect");
    expectAllItemsGrid(shop("fault-redirect").defaultOrder);
    detect("fault-truncated");
    EXPECT_GT(host_.sgData1().rowCount(), 2);
    EXPECT_LT(items_.DefaultOrderItems.size(), shop("fault-truncated").defaultOrder.size());
}

TEST_F(DetectionRunTest, SecondRunStartsFromClearedGridsAndArrays)
{
    detect("demo-shop");
    detect("empty-shop");
    EXPECT_EQ(host_.sgData1().rowCount(), 2);
    EXPECT_EQ(host_.sgData1().cell(1, 1), "");
    EXPECT_EQ(host_.sgData3().rowCount(), 2);
    EXPECT_TRUE(items_.DefaultOrderItems.empty());
}

// The simulator lists a known shop only under the viewIndex its search form gave, so a run
// completes only if that value, or "1" when the form gave none, reached every listing request.
struct ViewIndexCase {
    const char* name;
    const char* shop;
    const char* viewIndex;
};

void PrintTo(const ViewIndexCase& c, std::ostream* out)
{
    *out << c.shop;
}

class ViewIndexTest : public DetectionRunTest, public ::testing::WithParamInterface<ViewIndexCase> {};

TEST_P(ViewIndexTest, TheSearchFormsViewIndexReachesEveryListingRequest)
{
    detect(GetParam().shop);
    ASSERT_TRUE(host_.lastReport());
    EXPECT_EQ(host_.lastReport()->outcome, RunOutcome::Complete);
    const std::string expected = std::string("&viewIndex=") + GetParam().viewIndex + "&";
    int furtherPages = 0;
    for (const sim::RequestRecord& request : simulator_->requests()) {
        if (request.path != "/itemlist/default.htm")
            continue;
        EXPECT_NE(request.target.find(expected), std::string::npos) << request.target;
        furtherPages += request.target.find("&yp4p_page=1&") == std::string::npos;
    }
    EXPECT_GT(furtherPages, 0);
}

INSTANTIATE_TEST_SUITE_P(Shops, ViewIndexTest,
                         ::testing::Values(ViewIndexCase{"given_by_the_form", "demo-shop", "3"},
                                           ViewIndexCase{"given_for_a_chinese_nick", "小美的店", "5"},
                                           ViewIndexCase{"one_when_the_form_gives_none", "fault-no-view-index", "1"}),
                         [](const ::testing::TestParamInfo<ViewIndexCase>& info) { return info.param.name; });

TEST_F(DetectionRunTest, SalesOrderPagesGoOutWithAgentBAndTheRestWithAgentA)
{
    const std::string agentA =
        "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.2; SV1; Maxthon; .NET CLR 1.1.4322; .NET CLR 2.0.50727)";
    const std::string agentB = "Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Trident/4.0; SLCC2; .NET CLR "
                               "2.0.50727; .NET CLR 3.5.30729; .NET CLR 3.0.30729; Media Center PC 6.0)";
    detect("demo-shop");
    std::map<std::string, int> requestsByAgent;
    for (const sim::RequestRecord& request : simulator_->requests()) {
        const bool salesOrder = request.target.find("&sort=biz30day&") != std::string::npos;
        const std::string kind = request.method == "POST" ? "search form" : salesOrder ? "sales order" : "default order";
        EXPECT_EQ(request.userAgent, salesOrder ? agentB : agentA) << kind << ": " << request.target;
        ++requestsByAgent[kind];
    }
    EXPECT_EQ(requestsByAgent, (std::map<std::string, int>{{"search form", 1}, {"sales order", 3}, {"default order", 3}}));
}

TEST_F(DetectionRunTest, ListingThatAlwaysPromisesAnotherPageIsCutAtTheThousandthPage)
{
    detect("fault-bottomless");
    ASSERT_TRUE(host_.lastReport());
    const RunReport& report = *host_.lastReport();
    EXPECT_EQ(report.salesOrder.pagesAsked, 1000);
    EXPECT_TRUE(report.salesOrder.cut);
    EXPECT_FALSE(report.defaultOrder.cut);
    EXPECT_EQ(report.outcome, RunOutcome::Incomplete);
    const auto records = simulator_->requests();
    const auto lastSalesPage = std::find_if(records.rbegin(), records.rend(), [](const sim::RequestRecord& r) {
        return r.target.find("&sort=biz30day&") != std::string::npos;
    });
    ASSERT_NE(lastSalesPage, records.rend());
    EXPECT_NE(lastSalesPage->target.find("&yp4p_page=1000&"), std::string::npos);
    EXPECT_EQ(listingRequests(), 1000 + 2);
    expectAllItemsGrid(shop("fault-bottomless").defaultOrder);
}

TEST_F(DetectionRunTest, AbandoningARunEndsItsThreadsPromptly)
{
    startSimulator();
    host_.setSellerIdText("big-shop");
    auto run = std::make_unique<DetectionRun>(host_, searchHost_);
    run->btnSearchClick();
    // Serve hand-overs until the first page's items have reached the grid.
    const auto deadline = std::chrono::steady_clock::now() + RunLimit;
    while (host_.sgData1().rowCount() < 10 && std::chrono::steady_clock::now() < deadline)
        host_.serveUntilSearchEnabled(*run, 10ms);
    ASSERT_GE(host_.sgData1().rowCount(), 10);
    const auto before = std::chrono::steady_clock::now();
    run.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    EXPECT_FALSE(host_.searchEnabled());  // the run never finished, so nothing re-enabled the button
}

}  // namespace
