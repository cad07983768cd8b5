#include "demotion_streaks.h"

#include "local_time.h"

#include <algorithm>

namespace tamsel::history {
namespace {

int daysSpanned(std::chrono::system_clock::time_point from, std::chrono::system_clock::time_point to)
{
    return static_cast<int>(LocalDayNumber(to) - LocalDayNumber(from)) + 1;
}

// The streak of `itemId` that ends with run `last` (which found it demoted): back to the first
// run of the unbroken row of complete runs that found it demoted.
ItemStreak streakEndingAt(const std::vector<RunDemotions>& complete, std::size_t last, const std::string& itemId)
{
    std::size_t first = last;
    while (first > 0 && complete[first - 1].demoted.contains(itemId))
        --first;
    ItemStreak streak;
    streak.itemId = itemId;
    streak.sinceRunId = complete[first].runId;
    streak.since = complete[first].started;
    streak.days = daysSpanned(complete[first].started, complete[last].started);
    return streak;
}

}  // namespace

ShopStreaks StreaksOf(std::vector<RunDemotions> runs, const std::set<std::string>& latestListed)
{
    std::erase_if(runs, [](const RunDemotions& run) { return run.outcome != RunOutcome::Complete; });
    std::stable_sort(runs.begin(), runs.end(), [](const RunDemotions& a, const RunDemotions& b) {
        return a.started != b.started ? a.started < b.started : a.runId < b.runId;
    });
    ShopStreaks streaks;
    if (runs.empty())
        return streaks;
    const std::size_t latest = runs.size() - 1;
    for (const std::string& itemId : runs[latest].demoted)
        streaks.demoted.push_back(streakEndingAt(runs, latest, itemId));
    if (latest > 0) {
        for (const std::string& itemId : runs[latest - 1].demoted) {
            if (runs[latest].demoted.contains(itemId) || !latestListed.contains(itemId))
                continue;
            ItemStreak streak = streakEndingAt(runs, latest - 1, itemId);
            streak.recoveredRunId = runs[latest].runId;
            streak.recovered = runs[latest].started;
            streaks.recovered.push_back(std::move(streak));
        }
    }
    // Longest first; of equal ones, by id, so that the order never depends on the set's.
    const auto longestFirst = [](const ItemStreak& a, const ItemStreak& b) {
        return a.since != b.since ? a.since < b.since : a.itemId < b.itemId;
    };
    std::sort(streaks.demoted.begin(), streaks.demoted.end(), longestFirst);
    std::sort(streaks.recovered.begin(), streaks.recovered.end(), longestFirst);
    return streaks;
}

}  // namespace tamsel::history
