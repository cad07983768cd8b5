// tamsel-cli detect as a user runs it, against the simulator.
#include "closed_port.h"
#include "market_simulator.h"
#include "process_runner.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

using namespace std::chrono_literals;

namespace {

tamsel::testing::ProcessRun detect(std::vector<std::string> args, const std::function<bool()>& interruptWhen = {})
{
    args.insert(args.begin(), {TAMSEL_CLI_PATH, "detect"});
    return tamsel::testing::runProcess(args, 60s, interruptWhen, SIGINT);
}

// The lines of standard error that report the run, without the progress line that each
// carriage return and erase-line sequence rewrote.
std::vector<std::string> reportLines(const std::string& err)
{
    std::vector<std::string> result;
    for (std::string line : tamsel::testing::outputLines(err)) {
        if (const auto lastRewrite = line.rfind("\r\033[K"); lastRewrite != std::string::npos)
            line.erase(0, lastRewrite + 4);
        if (!line.empty())
            result.push_back(line);
    }
    return result;
}

}  // namespace

TEST(TamselCliDetect, PrintsTheThreeGridsAsTabSeparatedUtf8)
{
    tamsel::sim::MarketSimulator simulator;
    const std::string host = "127.0.0.1:" + std::to_string(simulator.start());
    const auto run = detect({"--search-host", host, "小美的店"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto out = tamsel::testing::outputLines(run.out);
    ASSERT_GT(out.size(), 10u);
    EXPECT_EQ(out[0], "# sgData1");
    EXPECT_EQ(out[1], "\t宝贝\t成交量\t价格\t\t");
    const auto second = std::find(out.begin(), out.end(), "# sgData2");
    const auto third = std::find(out.begin(), out.end(), "# sgData3");
    ASSERT_NE(second, out.end());
    ASSERT_NE(third, out.end());
    // The header, 70 items and the empty bottom row.
    EXPECT_EQ(std::distance(out.begin(), second), 1 + 72);
    EXPECT_EQ(*(second + 1), "\t宝贝\t成交量\t价格\t");
    EXPECT_EQ(*(third + 1), "\t宝贝\t成交量\t价格\t实际排名\t理论排名\t差值\t\t");
    EXPECT_EQ(out.back(), "\t\t\t\t\t\t\t\t");
    EXPECT_NE(out[2].find("\t18233"), std::string::npos);  // the hidden id column is printed too
}

TEST(TamselCliDetect, EmptyShopPrintsTheAllClearMessage)
{
    tamsel::sim::MarketSimulator simulator;
    const std::string host = "127.0.0.1:" + std::to_string(simulator.start());
    const auto run = detect({"--search-host", host, "empty-shop"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("# sgData2\n\t宝贝\t成交量\t价格\t\n\t店铺宝贝共0个 ，没有被降权宝贝\t\t\t\n# sgData3"),
              std::string::npos);
}

TEST(TamselCliDetect, RejectsAMissingSellerIdAndUnknownOptions)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--search-host", "127.0.0.1:1"}, {"--frobnicate", "demo-shop"}}) {
        const auto run = detect(args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("usage: tamsel-cli detect"), std::string::npos);
    }
}

// One run per exit status; how each shop's run ends is the engine's table.
TEST(TamselCliDetect, ExitStatusAndStandardErrorTellTheOutcome)
{
    tamsel::sim::MarketSimulator simulator;
    const std::string host = "127.0.0.1:" + std::to_string(simulator.start());
    const std::string unreachable = "127.0.0.1:" + std::to_string(tamsel::testing::closedLoopbackPort());
    const std::string refused = "Socket Error # 10061 Connection refused.";
    const std::string serverError = "HTTP/1.1 500 Internal Server Error";
    struct Case {
        const char* shop;
        const std::string& searchHost;
        int exitCode;
        std::vector<std::string> err;
        std::string sgData2;  // the first data row of sgData2
    };
    const Case cases[] = {
        {"demo-shop", host, 0, {"outcome: complete"}, "1\t冬季 修身羽绒服 女 T-2535 送礼品\t784\t129.50\t17459804930"},
        {"fault-500", host, 3,
         {"failed: sales-order page 2: " + serverError, "failed: default-order page 2: " + serverError, "outcome: incomplete"},
         "\t探测不完整：销量排序第 2 页、默认排序第 2 页未取得，约 48 个宝贝未检查，结果可能不全\t\t\t"},
        {"demo-shop", unreachable, 2,
         {"failed: search form: " + refused, "failed: sales-order page 1: " + refused,
          "failed: default-order page 1: " + refused, "outcome: failed"},
         "\t探测失败：无法从淘宝搜索（" + unreachable + "）取得宝贝列表。销量排序第 1 页：" + refused +
             "（请检查网络连接，或稍后再试）\t\t\t"},
    };
    for (const Case& expected : cases) {
        SCOPED_TRACE(expected.exitCode);
        const auto run = detect({"--search-host", expected.searchHost, expected.shop});
        EXPECT_EQ(run.exitCode, expected.exitCode);
        EXPECT_EQ(reportLines(run.err), expected.err);
        const auto out = tamsel::testing::outputLines(run.out);
        const auto second = std::find(out.begin(), out.end(), "# sgData2");
        ASSERT_GE(std::distance(second, out.end()), 3);
        EXPECT_EQ(*(second + 2), expected.sgData2);
    }
}

TEST(TamselCliDetect, FailedRunPrintsTheGridsAsTheWindowHoldsThem)
{
    tamsel::sim::MarketSimulator simulator;
    const std::string host = "127.0.0.1:" + std::to_string(simulator.start());
    const auto run = detect({"--search-host", host, "fault-sales-down"});
    EXPECT_EQ(run.exitCode, 2);
    const auto out = tamsel::testing::outputLines(run.out);
    const auto second = std::find(out.begin(), out.end(), "# sgData2");
    ASSERT_NE(second, out.end());
    ASSERT_GE(std::distance(second, out.end()), 5);
    EXPECT_EQ(std::distance(out.begin(), second), 1 + 122);  // the default order arrived whole
    EXPECT_EQ((second + 2)->rfind("\t探测失败：无法从淘宝搜索（" + host + "）取得宝贝列表。销量排序第 1 页：HTTP/1.1 503", 0), 0u)
        << *(second + 2);
    EXPECT_EQ(*(second + 3), "# sgData3");
    EXPECT_EQ(std::distance(second, out.end()), 6);  // sgData3: header and one empty row
}

TEST(TamselCliDetect, InterruptStopsTheRunAndExitsWith130)
{
    tamsel::sim::MarketSimulatorOptions options;
    options.stallDuration = 30s;
    tamsel::sim::MarketSimulator simulator(std::move(options));
    const std::string host = "127.0.0.1:" + std::to_string(simulator.start());
    // Interrupted while the stalled second sales-order page is under way.
    const auto run = detect({"--search-host", host, "--progress", "fault-stall"},
                            [&] { return simulator.requestCount() >= 3; });
    EXPECT_EQ(run.exitCode, 130) << run.err;
    const auto report = reportLines(run.err);
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report.back(), "outcome: stopped");
    EXPECT_NE(run.out.find("\t探测已停止\t"), std::string::npos);
    // The progress line names the pass and page.
    EXPECT_NE(run.err.find("正在探测 fault-stall：销量排序 第 2 / 3 页"), std::string::npos);
}
