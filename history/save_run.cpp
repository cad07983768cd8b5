#include "save_run.h"

namespace tamsel::history {

SavedRun SaveRun(HistoryStore& store, const StoredRun& run)
{
    try {
        return {store.save(run), {}};
    } catch (const HistoryError& error) {
        if (!error.damaged())
            throw;
    }
    // Only the file the store found damaged: another store may have set it aside already.
    std::string aside = HistoryStore::moveDamagedFileAside(store.path(), store.file());
    // The store finds its file gone from the path and opens the fresh one.
    return {store.save(run), std::move(aside)};
}

}  // namespace tamsel::history
