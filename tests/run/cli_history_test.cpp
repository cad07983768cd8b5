// tamsel-cli history as a user runs it: runs saved by detect --save, listed, shown, compared
// and exported.
#include "catalogue.h"
#include "closed_port.h"
#include "market_simulator.h"
#include "file_size_limit.h"
#include "history_damage.h"
#include "process_runner.h"
#include "sqlite_db.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
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

// "## <title> (<count>)" and the lines under it.
std::map<std::string, std::vector<std::string>> sections(const std::string& diff)
{
    std::map<std::string, std::vector<std::string>> found;
    std::istringstream in(diff);
    std::vector<std::string>* current = nullptr;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("## "))
            current = &found[line.substr(3, line.rfind(" (") - 3)];
        else if (current != nullptr)
            current->push_back(line);
    }
    return found;
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

    // Without an earlier id, the seller's previous complete run: what the simulator moved.
    const auto diff = cli({"history", "diff", "2"});
    ASSERT_EQ(diff.exitCode, 0) << diff.err;
    EXPECT_EQ(diff.out, cli({"history", "diff", "1", "2"}).out);
    const auto hidden = [](int day) {
        std::set<std::string> ids;
        for (const auto& item : tamsel::sim::findShop("daily-shop", day)->defaultOrder)
            if (item.demoted)
                ids.insert(item.itemId);
        return ids;
    };
    const auto listedIds = [](const std::vector<std::string>& lines) {
        std::set<std::string> ids;
        for (const std::string& line : lines)
            ids.insert(line.substr(0, line.find('\t')));
        return ids;
    };
    std::set<std::string> newlyHidden, shownAgain;
    std::ranges::set_difference(hidden(2), hidden(1), std::inserter(newlyHidden, newlyHidden.end()));
    std::ranges::set_difference(hidden(1), hidden(2), std::inserter(shownAgain, shownAgain.end()));
    const auto found = sections(diff.out);
    ASSERT_FALSE(newlyHidden.empty());
    EXPECT_EQ(listedIds(found.at("新降权宝贝")), newlyHidden);
    EXPECT_EQ(listedIds(found.at("已恢复：不再降权")), shownAgain);
    EXPECT_EQ(found.at("新上架宝贝"), std::vector<std::string>{});
    EXPECT_EQ(found.at("已下架宝贝"), std::vector<std::string>{});
    EXPECT_EQ(found.at("未能检查"), std::vector<std::string>{});

    const auto exported = cli({"history", "export", "1", "--csv", folder_.string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    // The three files and the history: nothing written on the way is left.
    const auto notHistory = [this] {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder_))
            if (!entry.path().filename().string().starts_with("history.sqlite3"))
                files.push_back(entry.path());
        return files;
    };
    ASSERT_EQ(notHistory().size(), 3u);
    for (const fs::path& file : notHistory()) {
        EXPECT_EQ(file.extension(), ".csv");
        EXPECT_EQ(slurp(file).rfind("\xEF\xBB\xBF", 0), 0u);
        EXPECT_EQ(file.filename().string().rfind("daily-shop-", 0), 0u);
    }

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
    EXPECT_EQ(notHistory().size(), 3u);
}

TEST_F(CliHistoryTest, AFileFoundDamagedWhenSavingIsKeptAsideAndTheRunSavedAfresh)
{
    detectAndSave(1);
    // Opening finds nothing; the save does.
    const fs::path path = folder_ / "history.sqlite3";
    ASSERT_TRUE(tamsel::testing::DamageTable(path, "pass"));
    const std::string bytes = slurp(path);

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

TEST_F(CliHistoryTest, ComparisonsThatCannotBeMadeExitWithOne)
{
    detectAndSave(1);  // run 1
    tamsel::sim::MarketSimulator simulator;
    const auto other = cli({"detect", "--save", "--search-host", "127.0.0.1:" + std::to_string(simulator.start()),
                            "demo-shop"});
    ASSERT_EQ(other.exitCode, 0) << other.err;  // run 2
    const auto failed = cli({"detect", "--save", "--search-host",
                             "127.0.0.1:" + std::to_string(tamsel::testing::closedLoopbackPort()), "daily-shop"});
    ASSERT_EQ(failed.exitCode, 2) << failed.err;  // run 3

    const struct {
        std::vector<std::string> ids;
        const char* why;
    } cases[] = {
        {{"1"}, "之前没有这个卖家完整的探测"},
        {{"1", "2"}, "不是同一个卖家的"},
        {{"1", "3"}, "失败的探测没有结果"},
        {{"3"}, "失败的探测没有结果"},  // its previous complete run is run 1
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"history", "diff"};
        args.insert(args.end(), c.ids.begin(), c.ids.end());
        const auto diff = cli(args);
        EXPECT_EQ(diff.exitCode, 1) << c.why;
        EXPECT_EQ(diff.out, "") << c.why;
        EXPECT_NE(diff.err.find(c.why), std::string::npos) << diff.err;
    }

    // Runs without a judgement show no count of demoted items.
    const auto list = cli({"history"});
    EXPECT_NE(list.out.find("\tdaily-shop\t0\t\tfailed\n"), std::string::npos) << list.out;
}

TEST_F(CliHistoryTest, AFailedSaveExitsWithOneWhateverTheRun)
{
    ::setenv("TAMSEL_HISTORY", tamsel::testing::PathBelowAFile(folder_).c_str(), 1);
    tamsel::sim::MarketSimulator simulator;
    const auto run = cli({"detect", "--save", "--search-host", "127.0.0.1:" + std::to_string(simulator.start()),
                          "fault-500"});
    EXPECT_EQ(run.exitCode, 1);  // not 3, the incomplete run's own status
    EXPECT_NE(run.err.find("error: the run was not saved: "), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("# sgData3"), std::string::npos);  // the grids are printed all the same
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
    ::setenv("TAMSEL_HISTORY", tamsel::testing::PathBelowAFile(folder_).c_str(), 1);
    const auto unusable = cli({"history"});
    EXPECT_EQ(unusable.exitCode, 1);
    EXPECT_EQ(unusable.err.rfind("error: ", 0), 0u) << unusable.err;
}

namespace {

// The demo shop saved three times, the second time with page 2 of its sales order failing.
class CliIncompleteRunTest : public CliHistoryTest {
protected:
    std::string save(int failingSalesOrderPage)
    {
        tamsel::sim::MarketSimulatorOptions options;
        options.failingSalesOrderPage = failingSalesOrderPage;
        tamsel::sim::MarketSimulator simulator(std::move(options));
        const auto run = cli({"detect", "--save", "--search-host", "127.0.0.1:" + std::to_string(simulator.start()),
                              "demo-shop"});
        EXPECT_EQ(run.exitCode, failingSalesOrderPage == 0 ? 0 : 3) << run.err;
        return run.out;
    }
};

}  // namespace

TEST_F(CliIncompleteRunTest, AnIncompleteRunBetweenTwoCompleteOnesChangesNothing)
{
    save(0);
    const std::string incompleteGrids = save(2);
    save(0);
    // The items of the missing page show as demoted in the incomplete run's own grids, with a note:
    // its 48 items and two hidden ones whose sales fall within its range (one ties with page 3).
    EXPECT_NE(incompleteGrids.find("探测不完整：销量排序第 2 页未取得，约 50 个宝贝未检查，结果可能不全"), std::string::npos);

    struct Case {
        std::vector<std::string> ids;
        const char* heading;  // the start of the first line
        std::size_t unchecked;
    };
    const Case cases[] = {
        {{"2"}, "# demo-shop: run 1 (", 50},
        // The previous run is the latest complete one: the incomplete one is passed over.
        {{"3"}, "# demo-shop: run 1 (", 0},
        {{"2", "3"}, "# demo-shop: run 2 (", 50},
        {{"3", "2"}, "# demo-shop: run 2 (", 50},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"history", "diff"};
        args.insert(args.end(), c.ids.begin(), c.ids.end());
        const auto diff = cli(args);
        SCOPED_TRACE(diff.out);
        ASSERT_EQ(diff.exitCode, 0) << diff.err;
        EXPECT_EQ(diff.out.rfind(c.heading, 0), 0u);
        // Which run was incomplete is said in the heading.
        EXPECT_EQ(diff.out.substr(0, diff.out.find('\n')).find(", incomplete)") != std::string::npos, c.unchecked > 0);
        const auto found = sections(diff.out);
        for (const char* changed : {"新降权宝贝", "已恢复：不再降权", "新上架宝贝", "已下架宝贝"})
            EXPECT_EQ(found.at(changed), std::vector<std::string>{}) << changed;
        EXPECT_EQ(found.at("未能检查").size(), c.unchecked);
    }
}

TEST_F(CliHistoryTest, AFileMovedAsideOnOpeningIsToldAndNothingIsShown)
{
    detectAndSave(1);
    const fs::path path = folder_ / "history.sqlite3";
    const std::string saved = slurp(path);
    const std::vector<std::string> commands[] = {
        {"history"}, {"history", "daily-shop"}, {"history", "show", "1"}, {"history", "diff", "1"},
        {"history", "export", "1", "--csv", folder_.string()},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.back());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << "not a database at all, but kept" << saved;
        const auto run = cli(command);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("history: the damaged file was kept as " + path.string() + ".damaged-"), std::string::npos)
            << run.err;
    }
}

TEST_F(CliHistoryTest, ARunThatCannotBeReadSpoilsOnlyItsOwnLine)
{
    detectAndSave(1);
    detectAndSave(2);
    tamsel::history::sql::Connection(folder_ / "history.sqlite3").exec("UPDATE run SET outcome = 9 WHERE id = 1");
    const auto list = cli({"history"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    std::istringstream lines(list.out);
    std::string header, readable, unreadable;
    std::getline(lines, header);
    std::getline(lines, readable);
    std::getline(lines, unreadable);
    EXPECT_NE(readable.find("\tdaily-shop\t100\t"), std::string::npos) << readable;
    EXPECT_EQ(unreadable, "1\t\t\t\t\tunreadable");
}

TEST_F(CliHistoryTest, AReaderThatStopsEarlyCostsNoRun)
{
    tamsel::sim::MarketSimulator simulator;
    // The grids of big-shop fill the pipe many times over: head is gone long before they end.
    const std::string script = "\"$0\" detect --save --search-host \"$1\" big-shop | head -1 >/dev/null; "
                               "echo \"${PIPESTATUS[0]}\"";
    const auto run = tamsel::testing::runProcess(
        {"/bin/bash", "-c", script, TAMSEL_CLI_PATH, "127.0.0.1:" + std::to_string(simulator.start())}, 60s);
    EXPECT_EQ(run.out, "141\n") << run.err;  // the closed output is told as a shell tells SIGPIPE
    EXPECT_NE(run.err.find("saved: run 1"), std::string::npos) << run.err;
    const auto list = cli({"history"});
    EXPECT_NE(list.out.find("\tbig-shop\t4800\t"), std::string::npos) << list.out;
}

TEST_F(CliHistoryTest, AnExportNeverReplacesAnotherOne)
{
    detectAndSave(1);
    std::vector<std::string> written;
    for (int round = 0; round < 3; ++round) {
        const auto exported = cli({"history", "export", "1", "--csv", folder_.string()});
        ASSERT_EQ(exported.exitCode, 0) << exported.err;
        std::istringstream lines(exported.out);
        for (std::string line; std::getline(lines, line);)
            written.push_back(fs::path(line).filename().string());
    }
    ASSERT_EQ(written.size(), 9u);
    // The second and third exports name all three files "-2" and "-3".
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string first = written[i].substr(0, written[i].size() - 4);
        EXPECT_EQ(written[i + 3], first + "-2.csv");
        EXPECT_EQ(written[i + 6], first + "-3.csv");
        EXPECT_EQ(slurp(folder_ / written[i + 6]), slurp(folder_ / written[i]));
    }
}
