// tamsel-cli watch and history items as a user runs them: a list of shops run in turn against
// the simulator, and since when each item is demoted over a week of stored runs.
#include "catalogue.h"
#include "codepage.h"
#include "detection_run.h"
#include "headless_host.h"
#include "history_store.h"
#include "local_clock.h"
#include "market_simulator.h"
#include "notification_session.h"
#include "process_runner.h"
#include "rank_analysis.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <sstream>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

tamsel::testing::ProcessRun cli(std::vector<std::string> args, const std::function<bool()>& interruptWhen = {})
{
    args.insert(args.begin(), TAMSEL_CLI_PATH);
    return tamsel::testing::runProcess(args, 60s, interruptWhen, SIGINT);
}

// The items daily-shop shows demoted on `day`, either way, worked out from the catalogue: left
// out of the sales order, or a top-ten seller placed lower than its sales.
std::set<std::string> demotedOn(int day)
{
    tamsel::RunItems items;
    std::set<std::string> demoted;
    int place = 0;
    for (const tamsel::sim::CatalogueItem& item : tamsel::sim::findShop("daily-shop", day)->defaultOrder) {
        items.DefaultOrderItems.push_back({item.itemId, "", "", ++place, item.sales, 0, 0});
        if (item.demoted)
            demoted.insert(item.itemId);
    }
    tamsel::BuildItemsBySales(items);
    for (const tamsel::TItemInfo& item : items.ItemsBySales)
        if (item.TheoreticalRank <= 10 && item.TheoreticalRank < item.ActualRank)
            demoted.insert(item.ItemId);
    return demoted;
}

// How many items the catalogue leaves out of daily-shop's sales order on `day`: its rows of sgData2.
std::string hiddenOn(int day)
{
    int hidden = 0;
    for (const tamsel::sim::CatalogueItem& item : tamsel::sim::findShop("daily-shop", day)->defaultOrder)
        hidden += item.demoted;
    return std::to_string(hidden);
}

std::size_t countOf(const std::set<std::string>& a, const std::set<std::string>& without)
{
    std::size_t n = 0;
    for (const std::string& id : a)
        n += !without.contains(id);
    return n;
}

class CliWatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("tamsel-cli-watch-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        ::setenv("TAMSEL_HISTORY", history().c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("TAMSEL_HISTORY");
        fs::remove_all(folder_);
    }
    std::string history() const { return (folder_ / "history.sqlite3").string(); }

    // `watch run` against the simulator showing `day`.
    tamsel::testing::ProcessRun runList(int day, const std::vector<std::string>& extra = {})
    {
        tamsel::sim::MarketSimulatorOptions options;
        options.day = day;
        tamsel::sim::MarketSimulator simulator(std::move(options));
        std::vector<std::string> args = {"watch", "run", "--pause", "0", "--search-host",
                                         "127.0.0.1:" + std::to_string(simulator.start())};
        args.insert(args.end(), extra.begin(), extra.end());
        return cli(args);
    }

    fs::path folder_;
};

}  // namespace

TEST_F(CliWatchTest, TheListKeepsItsOrderAndRefusesWhatItCannotDo)
{
    struct Step {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
    };
    const Step steps[] = {
        {{"watch", "add", "daily-shop", "小美的店", "demo-shop"}, 0, ""},
        {{"watch", "list"}, 0, "daily-shop\n小美的店\ndemo-shop\n"},
        {{"watch", "add", "demo-shop", "fault-500"}, 0, ""},
        {{"watch", "remove", "小美的店", "nobody"}, 0, ""},
        {{"watch", "list"}, 0, "daily-shop\ndemo-shop\nfault-500\n"},
        {{"watch"}, 1, ""},
        {{"watch", "add"}, 1, ""},
        {{"watch", "list", "extra"}, 1, ""},
        {{"watch", "run", "--pause", "soon"}, 1, ""},
        {{"watch", "run", "--frobnicate"}, 1, ""},
        {{"watch", "watch"}, 1, ""},
    };
    for (const Step& step : steps) {
        const auto run = cli(step.args);
        EXPECT_EQ(run.exitCode, step.exitCode) << step.args.back() << run.err;
        EXPECT_EQ(run.out, step.out) << step.args.back();
    }
}

TEST_F(CliWatchTest, EveryShopRunsInTurnAndTellsWhatChanged)
{
    ASSERT_EQ(cli({"watch", "add", "daily-shop", "demo-shop", "fault-500", "fault-login"}).exitCode, 0);
    // Nothing to compare with yet: no news; the failed shop decides the status.
    const auto first = runList(1);
    EXPECT_EQ(first.exitCode, 2) << first.err;
    EXPECT_EQ(tamsel::testing::outputLines(first.out), (std::vector<std::string>{"seller\toutcome\titems\tdemoted\tnew\trecovered",
                                                          "daily-shop\tcomplete\t100\t" + hiddenOn(1) + "\t\t",
                                                          "demo-shop\tcomplete\t130\t5\t\t",
                                                          "fault-500\tincomplete\t72\t0\t\t",
                                                          "fault-login\tfailed\t0\t\t\t"}))
        << first.err;

    // The next day: daily-shop's demotions moved, demo-shop's did not, fault-500 could not tell.
    ASSERT_EQ(cli({"watch", "remove", "fault-login"}).exitCode, 0);
    const auto second = runList(2);
    EXPECT_EQ(second.exitCode, 3) << second.err;
    const std::set<std::string> before = demotedOn(1);
    const std::set<std::string> after = demotedOn(2);
    EXPECT_EQ(tamsel::testing::outputLines(second.out),
              (std::vector<std::string>{"seller\toutcome\titems\tdemoted\tnew\trecovered",
                                        "daily-shop\tcomplete\t100\t" + hiddenOn(2) + "\t" +
                                            std::to_string(countOf(after, before)) + "\t" +
                                            std::to_string(countOf(before, after)),
                                        "demo-shop\tcomplete\t130\t5\t0\t0", "fault-500\tincomplete\t72\t0\t\t"}))
        << second.err;
    // Every run was stored.
    EXPECT_EQ(tamsel::history::HistoryStore(history()).list().size(), 7u);
}

TEST_F(CliWatchTest, CtrlCStopsTheListAndKeepsWhatWasSaved)
{
    ASSERT_EQ(cli({"watch", "add", "demo-shop", "fault-stall", "小美的店"}).exitCode, 0);
    tamsel::sim::MarketSimulatorOptions options;
    options.stallDuration = 30s;
    tamsel::sim::MarketSimulator simulator(std::move(options));
    // Interrupted on fault-stall's stalled second page, demo-shop's six requests and its three before.
    const auto run = cli({"watch", "run", "--pause", "0", "--search-host", "127.0.0.1:" + std::to_string(simulator.start())},
                         [&] { return simulator.requestCount() >= 7 + 3; });
    EXPECT_EQ(run.exitCode, 130) << run.err;
    const auto out = tamsel::testing::outputLines(run.out);
    ASSERT_EQ(out.size(), 3u) << run.out;
    EXPECT_EQ(out[1], "demo-shop\tcomplete\t130\t5\t\t");
    EXPECT_EQ(out[2].rfind("fault-stall\tstopped\t", 0), 0u) << out[2];
    const auto stored = tamsel::history::HistoryStore(history()).list();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].outcome, tamsel::RunOutcome::Stopped);
}

TEST_F(CliWatchTest, WhatChangedIsToldInOneNotificationOrWhyNotOnce)
{
    ASSERT_EQ(cli({"watch", "add", "daily-shop", "demo-shop"}).exitCode, 0);
    const std::set<std::string> before = demotedOn(1);
    const std::set<std::string> after = demotedOn(2);
    const std::string news = "daily-shop：新降权 " + std::to_string(countOf(after, before)) + " 个，已恢复 " +
                             std::to_string(countOf(before, after)) + " 个";
    struct Case {
        const char* name;
        tamsel::testing::NotificationSetting setting;
        std::size_t shown;
    };
    const Case cases[] = {
        {"a notification service", tamsel::testing::NotificationSetting::ServiceAtAddress, 1},
        {"no bus", tamsel::testing::NotificationSetting::AddressOfMissingSocket, 0},
        {"no service", tamsel::testing::NotificationSetting::BusWithoutService, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(runList(1).exitCode, 0);  // what day 2 is compared with
        const tamsel::testing::NotificationSession session(c.setting);
        const auto run = runList(2, {"--notify"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(tamsel::testing::outputLines(run.out).size(), 3u);  // the list goes on either way
        const auto received = session.received();
        ASSERT_EQ(received.size(), c.shown);
        std::size_t toldWhyNot = 0;
        for (std::size_t at = run.err.find("could not notify: "); at != std::string::npos;
             at = run.err.find("could not notify: ", at + 1))
            ++toldWhyNot;
        EXPECT_EQ(toldWhyNot, 1 - c.shown) << run.err;
        if (c.shown == 1) {
            // One notification for the list, naming only the shop that changed.
            EXPECT_EQ(received[0].summary, "Tamsel 监控：1 家店铺有变化");
            EXPECT_EQ(received[0].body, news);
        }
    }
}

namespace {

// Day `day` of December 2026 at `hour`, local time.
std::chrono::system_clock::time_point december(int day, int hour = 12)
{
    return tamsel::testing::LocalTime(2026, 12, day, hour);
}

// Runs daily-shop as the simulator shows it on `day` and stores the run as started at `started`.
void storeDailyShop(const std::string& path, int day, std::chrono::system_clock::time_point started,
                    int failingSalesOrderPage = 0)
{
    tamsel::sim::MarketSimulatorOptions options;
    options.day = day;
    options.failingSalesOrderPage = failingSalesOrderPage;
    tamsel::sim::MarketSimulator simulator(std::move(options));
    tamsel::HeadlessHost host("daily-shop");
    tamsel::DetectionRun run(host, "127.0.0.1:" + std::to_string(simulator.start()));
    ASSERT_TRUE(host.runToEnd(run, 60s));
    tamsel::history::StoredRun stored = tamsel::history::MakeStoredRun(*host.lastReport(), run.items());
    stored.report.started = started;
    tamsel::history::HistoryStore(path).save(stored);
}

}  // namespace

TEST_F(CliWatchTest, HistoryItemsTellsSinceWhenEachItemIsDemotedAndWhatRecovered)
{
    for (int day = 1; day <= 4; ++day)
        storeDailyShop(history(), day, december(day));
    // An incomplete run between them changes no streak.
    storeDailyShop(history(), 9, december(3, 20), 2);

    const auto run = cli({"history", "items", "daily-shop"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto out = tamsel::testing::outputLines(run.out);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0].rfind("# daily-shop: run 4 (2026-12-04 12:00:00)", 0), 0u) << out[0];

    // Each item demoted on day 4: back to the first day of its unbroken streak.
    std::set<std::string> expectedDemoted;
    for (const std::string& id : demotedOn(4)) {
        int first = 4;
        while (first > 1 && demotedOn(first - 1).contains(id))
            --first;
        expectedDemoted.insert(id + "\t2026-12-0" + std::to_string(first) + "\t" + std::to_string(4 - first + 1));
    }
    std::set<std::string> expectedRecovered;
    for (const std::string& id : demotedOn(3)) {
        if (demotedOn(4).contains(id))
            continue;
        int first = 3;
        while (first > 1 && demotedOn(first - 1).contains(id))
            --first;
        expectedRecovered.insert(id + "\t2026-12-04\t2026-12-0" + std::to_string(first) + "\t" +
                                 std::to_string(3 - first + 1));
    }
    ASSERT_FALSE(expectedRecovered.empty());
    // Lines without their titles, which the catalogue holds only as the seller typed them.
    std::set<std::string> demoted, recovered;
    std::set<std::string>* section = nullptr;
    for (const std::string& line : out) {
        if (line.starts_with("## 降权宝贝 ("))
            section = &demoted;
        else if (line.starts_with("## 已恢复 ("))
            section = &recovered;
        else if (section != nullptr) {
            const auto title = line.find('\t');
            section->insert(line.substr(0, title) + line.substr(line.find('\t', title + 1)));
        }
    }
    EXPECT_EQ(demoted, expectedDemoted);
    EXPECT_EQ(recovered, expectedRecovered);

    EXPECT_EQ(cli({"history", "items", "nobody"}).exitCode, 1);
    EXPECT_EQ(cli({"history", "items"}).exitCode, 1);
}
