// tamsel-cli history as a user runs it: runs saved by detect --save, listed, shown, compared
// and exported.
#include "market_simulator.h"
#include "file_size_limit.h"
#include "process_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

tamsel::testing::ProcessRun cli(std::vector<std::string> args)
{
    args.insert(args.begin(), TAMSEL_CLI_PATH);
    return tamsel::testing::runProcess(args, 60s);
}

std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class CliHistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("tamsel-cli-history-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        ::setenv("TAMSEL_HISTORY", (folder_ / "history.sqlite3").c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("TAMSEL_HISTORY");
        fs::remove_all(folder_);
    }

    // detect --save of daily-shop as the simulator shows it on `day`; the grids it printed, or
    // with `notes` what it said besides.
    std::string detectAndSave(int day, bool notes = false)
    {
        tamsel::sim::MarketSimulatorOptions options;
        options.day = day;
        tamsel::sim::MarketSimulator simulator(std::move(options));
        const auto run = cli({"detect", "--save", "--search-host", "127.0.0.1:" + std::to_string(simulator.start()),
                              "daily-shop"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.err.find("saved: run "), std::string::npos) << run.err;
        return notes ? run.err : run.out;
    }

    fs::path folder_;
};

}  // namespace

TEST_F(CliHistoryTest, SavedRunsAreListedShownComparedAndExported)
{
    const std::string firstGrids = detectAndSave(1);
    detectAndSave(2);

    const auto list = cli({"history", "daily-shop"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    std::istringstream lines(list.out);
    std::string header, newest, oldest, none;
    std::getline(lines, header);
    std::getline(lines, newest);
    std::getline(lines, oldest);
    EXPECT_EQ(header, "id\ttime\tseller\titems\tdemoted\toutcome");
    EXPECT_EQ(newest.rfind("2\t", 0), 0u);
    EXPECT_NE(newest.find("\tdaily-shop\t100\t"), std::string::npos) << newest;
    EXPECT_EQ(oldest.rfind("1\t", 0), 0u);
    EXPECT_FALSE(std::getline(lines, none));
    EXPECT_EQ(cli({"history", "nobody"}).out, header + "\n");

    // Shown exactly as detect printed it.
    EXPECT_EQ(cli({"history", "show", "1"}).out, firstGrids);

    // Without an earlier id, the seller's previous judged run.
    const auto diff = cli({"history", "diff", "2"});
    ASSERT_EQ(diff.exitCode, 0) << diff.err;
    EXPECT_EQ(diff.out, cli({"history", "diff", "1", "2"}).out);
    EXPECT_NE(diff.out.find("## 新降权宝贝 ("), std::string::npos);
    EXPECT_NE(diff.out.find("## 新上架宝贝 (0)"), std::string::npos);

    const auto exported = cli({"history", "export", "1", "--csv", folder_.string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder_)) {
        if (entry.path().extension() != ".csv")
            continue;
        ++files;
        EXPECT_EQ(slurp(entry.path()).rfind("\xEF\xBB\xBF", 0), 0u);
        EXPECT_EQ(entry.path().filename().string().rfind("daily-shop-", 0), 0u);
    }
    EXPECT_EQ(files, 3);

    // An export that cannot be written whole leaves the files there as they were.
    std::map<fs::path, std::string> before;
    for (const auto& entry : fs::directory_iterator(folder_))
        if (entry.path().extension() == ".csv")
            before[entry.path()] = slurp(entry.path());
    {
        const tamsel::testing::FileSizeLimit limit(100);
        EXPECT_NE(cli({"history", "export", "1", "--csv", folder_.string()}).exitCode, 0);
    }
    for (const auto& [path, bytes] : before)
        EXPECT_EQ(slurp(path), bytes) << path;
}

TEST_F(CliHistoryTest, AFileFoundDamagedWhenSavingIsKeptAsideAndTheRunSavedAfresh)
{
    detectAndSave(1);
    // Every page but the first, which holds the header and the schema: opening finds nothing.
    const fs::path path = folder_ / "history.sqlite3";
    std::string bytes = slurp(path);
    ASSERT_GT(bytes.size(), 4096u);
    std::fill(bytes.begin() + 4096, bytes.end(), '\x5a');
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;

    const std::string notes = detectAndSave(1, true);
    EXPECT_NE(notes.find("history: the damaged file was kept as " + path.string() + ".damaged-"), std::string::npos)
        << notes;
    int kept = 0;
    for (const auto& entry : fs::directory_iterator(folder_))
        if (entry.path().filename().string().starts_with("history.sqlite3.damaged-") &&
            entry.path().string().find("-wal") == std::string::npos &&
            entry.path().string().find("-shm") == std::string::npos)
            kept += slurp(entry.path()) == bytes;
    EXPECT_EQ(kept, 1);
    const auto list = cli({"history"});
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 2) << list.out;  // the header and the new run
}

TEST_F(CliHistoryTest, RunsOfDifferentSellersAreNotCompared)
{
    detectAndSave(1);
    tamsel::sim::MarketSimulator simulator;
    const auto other = cli({"detect", "--save", "--search-host", "127.0.0.1:" + std::to_string(simulator.start()),
                            "demo-shop"});
    ASSERT_EQ(other.exitCode, 0) << other.err;
    const auto diff = cli({"history", "diff", "1", "2"});
    EXPECT_EQ(diff.exitCode, 1);
    EXPECT_EQ(diff.out, "");
    EXPECT_NE(diff.err.find("不是同一个卖家的"), std::string::npos) << diff.err;
}

TEST_F(CliHistoryTest, UnknownRunsAndUnusableFilesExitWithOne)
{
    const auto unknown = cli({"history", "show", "42"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("42"), std::string::npos) << unknown.err;
    EXPECT_EQ(cli({"history", "show"}).exitCode, 1);
    EXPECT_EQ(cli({"history", "diff", "1", "2", "3"}).exitCode, 1);
    EXPECT_EQ(cli({"history", "export", "1"}).exitCode, 1);

    // A history whose folder is a file cannot be used, not even by root.
    std::ofstream(folder_ / "plain-file") << "x";
    ::setenv("TAMSEL_HISTORY", (folder_ / "plain-file" / "history.sqlite3").c_str(), 1);
    const auto unusable = cli({"history"});
    EXPECT_EQ(unusable.exitCode, 1);
    EXPECT_EQ(unusable.err.rfind("error: ", 0), 0u) << unusable.err;
}
