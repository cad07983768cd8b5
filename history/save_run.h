#pragma once

#include "history_store.h"

#include <cstdint>
#include <string>

namespace tamsel::history {

struct SavedRun {
    std::int64_t id = 0;
    // Where the file that the save found damaged was moved to; empty when none was.
    std::string movedAside;
};

// Stores the run. A file found damaged on the way is moved aside (never deleted) and the run
// stored once more, in a fresh file at the path; what fails then is thrown as HistoryError.
SavedRun SaveRun(HistoryStore& store, const StoredRun& run);

}  // namespace tamsel::history
