// The run's threads meeting the host thread at their awkward moments: a click as soon as the
// button is back, the window going away during a request, during a hand-over and during the
// end-of-run handshake, and the seller id changing mid-run. Built with ThreadSanitizer too.
#include "catalogue.h"
#include "codepage.h"
#include "detection_run.h"
#include "headless_host.h"
#include "market_simulator.h"

#include <gtest/gtest.h>

using namespace tamsel;
using namespace std::chrono_literals;

namespace {

constexpr auto Limit = 30s;

class RunRaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::MarketSimulatorOptions options;
        options.stallDuration = 20s;  // longer than any test: only the run's abort ends it
        simulator_ = std::make_unique<sim::MarketSimulator>(std::move(options));
        searchHost_ = "127.0.0.1:" + std::to_string(simulator_->start());
    }

    // Destroying the run abandons it: it must return promptly whatever the run was doing.
    static void expectPromptAbandon(std::unique_ptr<DetectionRun>& run)
    {
        const auto before = std::chrono::steady_clock::now();
        run.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    }

    std::unique_ptr<sim::MarketSimulator> simulator_;
    std::string searchHost_;
};

}  // namespace

TEST_F(RunRaceTest, ClickAsSoonAsTheButtonIsBackStartsTheNextRunNormally)
{
    HeadlessHost host("demo-shop");
    DetectionRun run(host, searchHost_, 2000);
    for (int i = 0; i < 5; ++i) {
        run.btnSearchClick();
        ASSERT_TRUE(host.serveUntilSearchEnabled(run, Limit)) << "run " << i;
        EXPECT_EQ(130u, run.items().DefaultOrderItems.size()) << "run " << i;
    }
    // The previous launcher may still be releasing its worker when this longer run starts: its
    // end must not pass for the end of this run.
    host.setSellerIdText("big-shop");
    ASSERT_TRUE(host.runToEnd(run, Limit));
    EXPECT_TRUE(host.searchEnabled());
    EXPECT_EQ(sim::findShop("big-shop")->defaultOrder.size(), run.items().DefaultOrderItems.size());
}

TEST_F(RunRaceTest, AbandonDuringAStalledRequest)
{
    HeadlessHost host("fault-stall");
    auto run = std::make_unique<DetectionRun>(host, searchHost_, 20000);
    run->btnSearchClick();
    // The stalled page is the sixth request; serve the first pages' items until it is under way.
    const auto deadline = std::chrono::steady_clock::now() + Limit;
    while (simulator_->requestCount() < 3 && std::chrono::steady_clock::now() < deadline)
        host.serveUntilSearchEnabled(*run, 10ms);
    ASSERT_GE(simulator_->requestCount(), 3u);
    expectPromptAbandon(run);
}

TEST_F(RunRaceTest, AbandonWhileTheWorkerWaitsForAHandOver)
{
    HeadlessHost host("demo-shop");
    auto run = std::make_unique<DetectionRun>(host, searchHost_, 2000);
    run->btnSearchClick();
    // Served up to the first item: the worker then waits to hand over the second one until the
    // run is abandoned.
    ASSERT_TRUE(host.serveUntil(*run, Limit, [&] { return !run->items().SalesOrderItems.empty(); }));
    ASSERT_GE(simulator_->requestCount(), 2u);
    expectPromptAbandon(run);
    EXPECT_EQ(2, host.sgData1().rowCount());
}

TEST_F(RunRaceTest, AbandonDuringTheEndOfRunHandshake)
{
    HeadlessHost host("empty-shop");
    auto run = std::make_unique<DetectionRun>(host, searchHost_, 2000);
    run->btnSearchClick();
    // The button comes back before the launcher has released the worker.
    ASSERT_TRUE(host.serveUntilSearchEnabled(*run, Limit));
    expectPromptAbandon(run);
}

TEST_F(RunRaceTest, SellerIdChangedMidRunReachesTheLaterRequests)
{
    HeadlessHost host("demo-shop");
    DetectionRun run(host, searchHost_, 2000);
    run.btnSearchClick();
    // Held at its first item, the sales-order pass cannot end before the host serves the further
    // ones: only the default-order pass, still to come, reads the new id.
    ASSERT_TRUE(host.serveUntil(run, Limit, [&] { return !run.items().SalesOrderItems.empty(); }));
    host.setSellerIdText("empty-shop");
    ASSERT_TRUE(host.serveUntilSearchEnabled(run, Limit));
    const auto records = simulator_->requests();
    ASSERT_FALSE(records.empty());
    EXPECT_NE(std::string::npos, records.back().target.find("nick=empty%2Dshop"));
    // Judged, the passes of two sellers would pass for one shop's, stored under the first.
    ASSERT_TRUE(host.serveUntil(run, Limit, [&] { return host.lastReport().has_value(); }));
    EXPECT_EQ(host.lastReport()->outcome, RunOutcome::Failed);
    EXPECT_EQ(host.lastReport()->changedSellerId, "empty-shop");
    EXPECT_EQ(gbkToUtf8(host.sgData2().cell(1, 1)),
              "探测失败：探测过程中卖家ID由“demo-shop”改为“empty-shop”，两个卖家的宝贝无法放在一起判断，请重新探测");
    EXPECT_EQ(host.sgData3().rowCount(), 2);
}
