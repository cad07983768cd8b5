#pragma once

#include "demotion_streaks.h"
#include "history_store.h"
#include "stored_run.h"

namespace tamsel::history {

// The streaks of the run's seller as the stored complete runs up to `run` leave them, `run`
// included when it is complete (stored or not yet: its id is then 0). Items recovered are told
// only when `run` is that latest complete run.
ShopStreaks StreaksUpTo(HistoryStore& store, const StoredRun& run);

}  // namespace tamsel::history
