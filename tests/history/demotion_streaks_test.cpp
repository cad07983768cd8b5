#include "demotion_streaks.h"
#include "local_clock.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace tamsel;
using namespace tamsel::history;

namespace {

// Day `day` of December 2026 at `hour`, local time.
std::chrono::system_clock::time_point at(int day, int hour = 12)
{
    return tamsel::testing::LocalTime(2026, 12, day, hour);
}

RunDemotions run(std::int64_t id, int day, std::set<std::string> demoted, RunOutcome outcome = RunOutcome::Complete,
                 int hour = 12)
{
    return {id, at(day, hour), outcome, std::move(demoted)};
}

using Told = std::vector<std::tuple<std::string, std::int64_t, int, std::int64_t>>;  // id, since run, days, recovered run

Told told(const std::vector<ItemStreak>& streaks)
{
    Told result;
    for (const ItemStreak& streak : streaks)
        result.emplace_back(streak.itemId, streak.sinceRunId, streak.days, streak.recoveredRunId);
    return result;
}

}  // namespace

TEST(DemotionStreaks, OnlyCompleteRunsStartEndOrBreakAStreak)
{
    constexpr auto Incomplete = RunOutcome::Incomplete;
    constexpr auto Failed = RunOutcome::Failed;
    struct Case {
        const char* name;
        std::vector<RunDemotions> runs;
        std::set<std::string> latestListed;
        Told demoted;
        Told recovered;
    };
    const Case cases[] = {
        {"three days running", {run(1, 1, {"x"}), run(2, 2, {"x"}), run(3, 3, {"x"})}, {"x"}, {{"x", 1, 3, 0}}, {}},
        {"a break starts it anew", {run(1, 1, {"x"}), run(2, 2, {}), run(3, 5, {"x"})}, {"x"}, {{"x", 3, 1, 0}}, {}},
        {"an incomplete run breaks nothing", {run(1, 1, {"x"}), run(2, 2, {}, Incomplete), run(3, 3, {"x"})}, {"x"},
         {{"x", 1, 3, 0}}, {}},
        {"an incomplete run starts nothing", {run(1, 1, {}), run(2, 2, {"x"}, Incomplete), run(3, 3, {"x"})}, {"x"},
         {{"x", 3, 1, 0}}, {}},
        {"a failed run is passed over", {run(1, 1, {"x"}), run(2, 2, {}, Failed), run(3, 3, {"x"})}, {"x"},
         {{"x", 1, 3, 0}}, {}},
        {"an incomplete latest run ends nothing", {run(1, 1, {"x"}), run(2, 2, {"x"}), run(3, 3, {}, Incomplete)}, {},
         {{"x", 1, 2, 0}}, {}},
        {"runs of one day are one day", {run(1, 1, {"x"}, RunOutcome::Complete, 9), run(2, 1, {"x"}, RunOutcome::Complete, 18)},
         {"x"}, {{"x", 1, 1, 0}}, {}},
        {"recovered in the latest run", {run(1, 1, {"x"}), run(2, 3, {"x"}), run(3, 4, {})}, {"x"}, {},
         {{"x", 1, 3, 3}}},
        {"recovered after an incomplete run", {run(1, 1, {"x"}), run(2, 2, {}, Incomplete), run(3, 4, {})}, {"x"}, {},
         {{"x", 1, 1, 3}}},
        {"gone from the shop is no recovery", {run(1, 1, {"x"}), run(2, 2, {})}, {}, {}, {}},
        {"recovered before the previous run is old news", {run(1, 1, {"x"}), run(2, 2, {}), run(3, 3, {})}, {"x"}, {}, {}},
        {"an item appearing", {run(1, 1, {}), run(2, 2, {"y"})}, {"y"}, {{"y", 2, 1, 0}}, {}},
        {"longest first, then by id", {run(1, 1, {"z"}), run(2, 2, {"b", "z"}), run(3, 3, {"a", "b", "z"})},
         {"a", "b", "z"}, {{"z", 1, 3, 0}, {"b", 2, 2, 0}, {"a", 3, 1, 0}}, {}},
        {"stored out of order", {run(3, 3, {"x"}), run(1, 1, {"x"}), run(2, 2, {"x"})}, {"x"}, {{"x", 1, 3, 0}}, {}},
        {"no complete run", {run(1, 1, {"x"}, Incomplete)}, {"x"}, {}, {}},
    };
    for (const Case& c : cases) {
        const ShopStreaks streaks = StreaksOf(c.runs, c.latestListed);
        EXPECT_EQ(told(streaks.demoted), c.demoted) << c.name;
        EXPECT_EQ(told(streaks.recovered), c.recovered) << c.name;
    }
}
