#include "shop_streaks.h"

#include "run_demotions.h"

#include <algorithm>

namespace tamsel::history {

ShopStreaks StreaksUpTo(HistoryStore& store, const StoredRun& run)
{
    std::vector<RunDemotions> runs = store.demotions(run.report.sellerId);
    // Later runs, and the run itself as stored: it is added below from what it holds.
    std::erase_if(runs, [&run](const RunDemotions& stored) {
        return stored.runId == run.id || stored.started > run.report.started ||
               (stored.started == run.report.started && run.id != 0 && stored.runId > run.id);
    });
    std::set<std::string> listed;
    if (run.report.outcome == RunOutcome::Complete) {
        runs.push_back({run.id, run.report.started, RunOutcome::Complete, DemotedItemIds(run.defaultOrder, run.salesOrder)});
        for (const TItemInfo& item : run.defaultOrder)
            listed.insert(item.ItemId);
    }
    return StreaksOf(std::move(runs), listed);
}

}  // namespace tamsel::history
