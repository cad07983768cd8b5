#include "history_items.h"

#include "codepage.h"
#include "local_time.h"
#include "shop_streaks.h"

#include <iostream>
#include <map>

namespace tamsel::cli {
namespace {

std::string date(std::chrono::system_clock::time_point when)
{
    return LocalTimeText(when, "%Y-%m-%d");
}

}  // namespace

int ListDemotedItems(history::HistoryStore& store, const std::string& sellerIdGbk)
{
    // The latest complete run by start time; the list runs by id.
    std::optional<history::RunSummary> latest;
    for (const history::RunSummary& run : store.list(sellerIdGbk))
        if (run.unreadable.empty() && run.outcome == RunOutcome::Complete && (!latest || run.started > latest->started))
            latest = run;
    if (!latest) {
        std::cerr << "error: " << gbkToUtf8(sellerIdGbk) << " has no complete run in the history\n";
        return 1;
    }
    const std::optional<history::StoredRun> run = store.load(latest->id);
    if (!run)
        throw history::HistoryError("探测 " + std::to_string(latest->id) + " 已被删除");
    std::map<std::string, std::string> titles;
    for (const TItemInfo& item : run->defaultOrder)
        titles.emplace(item.ItemId, item.Title);  // the first listing of an id stands
    const history::ShopStreaks streaks = history::StreaksUpTo(store, *run);

    std::cout << "# " << gbkToUtf8(sellerIdGbk) << ": run " << run->id << " ("
              << LocalTimeText(run->report.started, "%Y-%m-%d %H:%M:%S") << ")\n";
    std::cout << "## 降权宝贝 (" << streaks.demoted.size() << ")\n";
    for (const history::ItemStreak& streak : streaks.demoted)
        std::cout << streak.itemId << '\t' << gbkToUtf8(titles[streak.itemId]) << '\t' << date(streak.since) << '\t'
                  << streak.days << '\n';
    std::cout << "## 已恢复 (" << streaks.recovered.size() << ")\n";
    for (const history::ItemStreak& streak : streaks.recovered)
        std::cout << streak.itemId << '\t' << gbkToUtf8(titles[streak.itemId]) << '\t' << date(streak.recovered) << '\t'
                  << date(streak.since) << '\t' << streak.days << '\n';
    return 0;
}

}  // namespace tamsel::cli
