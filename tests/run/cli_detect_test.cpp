// tamsel-cli detect as a user runs it, against the simulator.
#include "market_simulator.h"
#include "process_runner.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace std::chrono_literals;

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

tamsel::testing::ProcessRun detect(std::vector<std::string> args)
{
    args.insert(args.begin(), {TAMSEL_CLI_PATH, "detect"});
    return tamsel::testing::runProcess(args, 60s);
}

}  // namespace

TEST(TamselCliDetect, PrintsTheThreeGridsAsTabSeparatedUtf8)
{
    tamsel::sim::MarketSimulator simulator;
    const std::string host = "127.0.0.1:" + std::to_string(simulator.start());
    const auto run = detect({"--search-host", host, "小美的店"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto out = lines(run.out);
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

TEST(TamselCliDetect, RejectsAMissingSellerId)
{
    const auto run = detect({"--search-host", "127.0.0.1:1"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("usage: tamsel-cli detect"), std::string::npos);
}
