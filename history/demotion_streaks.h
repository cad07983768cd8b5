#pragma once

// Since when an item is demoted, and when it recovered, over a shop's stored runs. Only complete
// runs count: a run that was not complete never starts, ends or breaks a streak, so an item it
// could not judge keeps its streak.

#include "run_report.h"

#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace tamsel::history {

// What one stored run of a shop found demoted, outright or by the verdict 重要宝贝被隐性降权.
struct RunDemotions {
    std::int64_t runId = 0;
    std::chrono::system_clock::time_point started;
    RunOutcome outcome = RunOutcome::Complete;
    std::set<std::string> demoted;  // item ids, GBK
};

struct ItemStreak {
    std::string itemId;
    std::int64_t sinceRunId = 0;  // the first complete run of the streak
    std::chrono::system_clock::time_point since;
    // Calendar days the streak spans in local time, both ends counted: to the latest complete
    // run for an item still demoted, to the last run that found it demoted for one recovered.
    int days = 0;
    std::int64_t recoveredRunId = 0;  // the run that showed it recovered; 0 while demoted
    std::chrono::system_clock::time_point recovered;
};

struct ShopStreaks {
    std::vector<ItemStreak> demoted;    // demoted in the latest complete run, longest streak first
    std::vector<ItemStreak> recovered;  // demoted in the complete run before it, and not in it
};

// The streaks as the latest complete run of `runs` (any order, any outcome) leaves them. An item
// demoted in the complete run before the latest and not in it recovered only when the latest run
// lists it (`latestListed`): one it does not list has left the shop.
ShopStreaks StreaksOf(std::vector<RunDemotions> runs, const std::set<std::string>& latestListed);

}  // namespace tamsel::history
