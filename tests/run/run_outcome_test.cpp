// How runs end when the marketplace misbehaves: every fault shop, a login page, a blind pass and
// an unreachable host, then a stop, threads that cannot start and a step that throws.
#include "catalogue.h"
#include "closed_port.h"
#include "codepage.h"
#include "detection_run.h"
#include "headless_host.h"
#include "market_simulator.h"
#include "run_texts.h"
#include "system_texts.h"

#include <gtest/gtest.h>

#include <utility>

using namespace tamsel;
using namespace std::chrono_literals;

namespace {

constexpr auto RunLimit = 60s;

std::string sgData2Row(HeadlessHost& host)
{
    return gbkToUtf8(host.sgData2().cell(1, 1));
}

struct OutcomeCase {
    const char* shop;  // nullptr: an unreachable host
    RunOutcome outcome;
    std::vector<std::string> reportLines;  // "{host}" stands for the search host
    // The row of sgData2 that says the run was not judged, or not wholly: the start of a failed
    // run's, an incomplete run's whole (below any demoted items). nullptr: the judgement alone.
    const char* sgData2Note;
};

std::string withHost(std::string text, const std::string& host)
{
    if (const auto at = text.find("{host}"); at != std::string::npos)
        text.replace(at, 6, host);
    return text;
}

class RunOutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

const std::string Refused = "Socket Error # 10061 Connection refused.";
const std::string Cut = "Connection Closed Gracefully.（答复比它声明的 Content-Length 短）";
// Page 2 of both orders did not arrive: a page of items unseen, the same ones in both orders.
const char* const Page2Missing = "探测不完整：销量排序第 2 页、默认排序第 2 页未取得，约 48 个宝贝未检查，结果可能不全";

const OutcomeCase OutcomeCases[] = {
    {"demo-shop", RunOutcome::Complete, {"outcome: complete"}, nullptr},
    {"empty-shop", RunOutcome::Complete, {"outcome: complete"}, nullptr},
    {"fault-redirect", RunOutcome::Complete, {"outcome: complete"}, nullptr},
    {"fault-endless", RunOutcome::Complete, {"outcome: complete"}, nullptr},
    {"fault-500", RunOutcome::Incomplete,
     {"failed: sales-order page 2: HTTP/1.1 500 Internal Server Error",
      "failed: default-order page 2: HTTP/1.1 500 Internal Server Error", "outcome: incomplete"},
     Page2Missing},
    {"fault-stall", RunOutcome::Incomplete,
     {"failed: sales-order page 2: Read Timeout", "failed: default-order page 2: Read Timeout", "outcome: incomplete"},
     // Half of page 2 came before the stall, but no item list that ends.
     Page2Missing},
    {"fault-truncated", RunOutcome::Incomplete,
     {"failed: sales-order page 2: " + Cut, "failed: default-order page 2: " + Cut, "outcome: incomplete"},
     Page2Missing},
    {"fault-bottomless", RunOutcome::Incomplete,
     {"cut: sales-order pass stopped at 1000 pages or 48000 items", "outcome: incomplete"},
     "探测不完整：销量排序达到上限后的页未取得，结果可能不全"},
    {"fault-login", RunOutcome::Failed,
     {"not a listing: sales-order page 1", "not a listing: default-order page 1", "outcome: failed"},
     "探测失败：淘宝搜索（{host}）返回的不是宝贝列表，通常是淘宝要求登录或安全验证"},
    {"fault-sales-down", RunOutcome::Failed,
     {"failed: sales-order page 1: HTTP/1.1 503 Service Unavailable", "outcome: failed"},
     "探测失败：无法从淘宝搜索（{host}）取得宝贝列表。销量排序第 1 页：HTTP/1.1 503 Service Unavailable（淘宝搜索繁忙，请稍后再试）"},
    {nullptr, RunOutcome::Failed,
     {"failed: search form: " + Refused, "failed: sales-order page 1: " + Refused,
      "failed: default-order page 1: " + Refused, "outcome: failed"},
     "探测失败：无法从淘宝搜索（{host}）取得宝贝列表。销量排序第 1 页：Socket Error # 10061 Connection refused."
     "（请检查网络连接，或稍后再试）"},
};

TEST_P(RunOutcomeTest, EndsAsItsShopWarrants)
{
    const OutcomeCase& expected = GetParam();
    sim::MarketSimulatorOptions options;
    options.stallDuration = 20s;  // past the run's read timeout
    sim::MarketSimulator simulator(std::move(options));
    const std::string searchHost =
        "127.0.0.1:" + std::to_string(expected.shop != nullptr ? simulator.start() : tamsel::testing::closedLoopbackPort());

    HeadlessHost host(utf8ToGbk(expected.shop != nullptr ? expected.shop : "demo-shop"));
    DetectionRun run(host, searchHost, 500);
    ASSERT_TRUE(host.runToEnd(run, RunLimit));
    EXPECT_TRUE(host.searchEnabled());
    ASSERT_TRUE(host.lastReport());
    const RunReport& report = *host.lastReport();
    EXPECT_EQ(report.outcome, expected.outcome);

    std::vector<std::string> lines;
    for (const std::string& line : expected.reportLines)
        lines.push_back(withHost(line, searchHost));
    EXPECT_EQ(reportLines(report), lines);

    // The last row with text holds the note; a judged run's rows before it are its judgement.
    int lastRow = host.sgData2().rowCount() - 1;
    while (lastRow > 1 && host.sgData2().cell(1, lastRow).empty())
        --lastRow;
    const std::string last = gbkToUtf8(host.sgData2().cell(1, lastRow));
    if (expected.outcome == RunOutcome::Failed) {
        EXPECT_EQ(host.sgData2().rowCount(), 2);
        EXPECT_EQ(last.rfind(withHost(expected.sgData2Note, searchHost), 0), 0u) << last;
        EXPECT_EQ(host.sgData3().rowCount(), 2);
        EXPECT_EQ(outcomeText(report), last);
    } else if (expected.sgData2Note != nullptr) {
        EXPECT_EQ(last, expected.sgData2Note);
        EXPECT_EQ(host.sgData2().cell(0, lastRow), "");
        EXPECT_EQ(report.demotedOutright, lastRow - 1);  // the rows above it, if any, are the judgement's
    } else {
        for (int row = 1; row < host.sgData2().rowCount(); ++row) {
            EXPECT_EQ(gbkToUtf8(host.sgData2().cell(1, row)).find("探测"), std::string::npos) << row;
        }
    }
    if (report.judged()) {
        EXPECT_EQ(report.itemCount, host.sgData1().rowCount() - 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Shops, RunOutcomeTest, ::testing::ValuesIn(OutcomeCases),
                         [](const ::testing::TestParamInfo<OutcomeCase>& info) {
                             std::string name = info.param.shop != nullptr ? info.param.shop : "unreachable";
                             for (char& c : name)
                                 if (c == '-')
                                     c = '_';
                             return name;
                         });

TEST(RunOutcome, CompleteRunCountsWhatTheAnalysisFound)
{
    sim::MarketSimulator simulator;
    HeadlessHost host("demo-shop");
    DetectionRun run(host, "127.0.0.1:" + std::to_string(simulator.start()));
    ASSERT_TRUE(host.runToEnd(run, RunLimit));
    const RunReport& report = *host.lastReport();
    EXPECT_EQ(report.itemCount, 130);
    EXPECT_EQ(report.demotedOutright, host.sgData2().rowCount() - 2);
    EXPECT_EQ(report.demotedOutright, 5);
    EXPECT_EQ(report.topTenDemoted, 3);  // places 2, 5 and 8 by sales stand lower
    EXPECT_EQ(report.sellerId, "demo-shop");
    EXPECT_EQ(outcomeText(report).rfind("探测完成：共 130 个宝贝，降权 5 个，用时 ", 0), 0u) << outcomeText(report);
}

TEST(RunStop, EndsAStalledRequestAtOnceAndKeepsWhatArrived)
{
    sim::MarketSimulatorOptions options;
    options.stallDuration = 20s;
    sim::MarketSimulator simulator(std::move(options));
    HeadlessHost host("fault-stall");
    DetectionRun run(host, "127.0.0.1:" + std::to_string(simulator.start()), 20000);
    run.btnSearchClick();
    // Served until the stalled second sales-order page is asked for.
    ASSERT_TRUE(host.serveUntil(run, RunLimit, [&] { return simulator.requestCount() >= 3; }));
    run.stop();
    // Long before the stall or the read timeout (20 s each) would end the page: the stop ended it.
    ASSERT_TRUE(host.serveUntilSearchEnabled(run, 5s));
    ASSERT_TRUE(host.serveUntil(run, 5s, [&] { return !run.running(); }));

    ASSERT_TRUE(host.lastReport());
    EXPECT_EQ(host.lastReport()->outcome, RunOutcome::Stopped);
    EXPECT_EQ(sgData2Row(host), "探测已停止");
    EXPECT_EQ(host.sgData3().rowCount(), 2);
    EXPECT_EQ(run.items().SalesOrderItems.size(), sim::kPageSize);
    // What arrived in either order counts, though the default order had not begun.
    EXPECT_EQ(statusText(*host.lastReport()), "探测已停止：已收到 48 个宝贝，未作判断");
    // A stopped request is not a failure of the marketplace.
    EXPECT_EQ(reportLines(*host.lastReport()), std::vector<std::string>{"outcome: stopped"});
    EXPECT_EQ(simulator.requestCount(), 3u);
}

TEST(RunStop, DoesNothingWhenNoRunIsGoing)
{
    sim::MarketSimulator simulator;
    HeadlessHost host("demo-shop");
    DetectionRun run(host, "127.0.0.1:" + std::to_string(simulator.start()));
    run.stop();
    ASSERT_TRUE(host.runToEnd(run, RunLimit));
    EXPECT_EQ(host.lastReport()->outcome, RunOutcome::Complete);
    run.stop();
    ASSERT_TRUE(host.runToEnd(run, RunLimit));
    EXPECT_EQ(host.lastReport()->outcome, RunOutcome::Complete);
}

// A thread starter that fails on its `failAt`-th call (1: the launcher, 2: the worker).
ThreadStarter failingStarter(int failAt)
{
    auto calls = std::make_shared<int>(0);
    return [calls, failAt](std::function<void()> body) {
        if (++*calls == failAt)
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        return std::thread(std::move(body));
    };
}

TEST(RunBreakdown, ThreadThatCannotStartFailsTheRunAndGivesTheButtonBack)
{
    for (const int failAt : {1, 2}) {
        SCOPED_TRACE(failAt == 1 ? "launcher" : "worker");
        HeadlessHost host("demo-shop");
        DetectionRun run(host, "127.0.0.1:1", 500, failingStarter(failAt));
        ASSERT_TRUE(host.runToEnd(run, RunLimit));
        EXPECT_TRUE(host.searchEnabled());
        ASSERT_TRUE(host.lastReport());
        EXPECT_EQ(host.lastReport()->outcome, RunOutcome::Failed);
        EXPECT_EQ(sgData2Row(host).rfind("探测失败：程序内部错误（无法启动探测线程：", 0), 0u) << sgData2Row(host);
        EXPECT_FALSE(run.running());
    }
}

// Passes everything on to a grid but refuses to write one data row.
class RefusingGrid : public StringGrid {
public:
    RefusingGrid(StringGrid& grid, int refusedRow) : grid_(grid), refusedRow_(refusedRow) {}
    int colCount() const override { return grid_.colCount(); }
    int rowCount() const override { return grid_.rowCount(); }
    void setColCount(int count) override { grid_.setColCount(count); }
    void setRowCount(int count) override { grid_.setRowCount(count); }
    std::string cell(int col, int row) const override { return grid_.cell(col, row); }
    void setCell(int col, int row, std::string text) override
    {
        if (row == refusedRow_ && !text.empty())
            throw std::runtime_error("grid refused row " + std::to_string(row));
        grid_.setCell(col, row, std::move(text));
    }
    std::string takeCell(int col, int row) override { return grid_.takeCell(col, row); }

private:
    StringGrid& grid_;
    int refusedRow_;
};

// sgData1 refuses while items arrive, or sgData3 during the analysis.
class BreakingHost : public HeadlessHost {
public:
    BreakingHost(int brokenGrid, int refusedRow)
        : HeadlessHost("demo-shop"),
          brokenGrid_(brokenGrid),
          refusing1_(HeadlessHost::sgData1(), refusedRow),
          refusing3_(HeadlessHost::sgData3(), refusedRow)
    {
    }
    StringGrid& sgData1() override { return brokenGrid_ == 1 ? refusing1_ : HeadlessHost::sgData1(); }
    StringGrid& sgData3() override { return brokenGrid_ == 3 ? refusing3_ : HeadlessHost::sgData3(); }

private:
    int brokenGrid_;
    RefusingGrid refusing1_;
    RefusingGrid refusing3_;
};

TEST(RunBreakdown, StepThatThrowsFailsTheRunAndGivesTheButtonBack)
{
    sim::MarketSimulator simulator;
    const std::string searchHost = "127.0.0.1:" + std::to_string(simulator.start());
    for (const int grid : {1, 3}) {
        SCOPED_TRACE(grid == 1 ? "item hand-over" : "analysis");
        BreakingHost host(grid, grid == 1 ? 5 : 3);
        DetectionRun run(host, searchHost);
        ASSERT_TRUE(host.runToEnd(run, RunLimit));
        EXPECT_TRUE(host.searchEnabled());
        ASSERT_TRUE(host.lastReport());
        EXPECT_EQ(host.lastReport()->outcome, RunOutcome::Failed);
        EXPECT_EQ(host.lastReport()->internalError, "grid refused row " + std::string(grid == 1 ? "5" : "3"));
        EXPECT_EQ(sgData2Row(host), "探测失败：程序内部错误（" + host.lastReport()->internalError + "）");
        EXPECT_EQ(host.sgData3().rowCount(), 2);
    }
}

}  // namespace
