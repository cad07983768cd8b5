#pragma once

// What detect and watch share: one detection run headless, stopped by Ctrl+C, and how its
// outcome becomes the exit status.

#include "headless_host.h"
#include "run_report.h"
#include "stored_run.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tamsel::cli {

enum ExitStatus {
    ExitComplete = 0,
    ExitError = 1,  // usage and other errors
    ExitFailed = 2,
    ExitIncomplete = 3,
    ExitStopped = 130,       // as a shell reports a program ended by SIGINT
    ExitOutputClosed = 141,  // as a shell reports a program ended by SIGPIPE
};

int ExitStatusOf(RunOutcome outcome);

// Long enough for the largest shop on a slow line; a run that takes longer has hung.
inline constexpr auto RunLimit = std::chrono::minutes(30);

// From the first call on, Ctrl+C sets the flag returned (and no longer ends the program).
const std::atomic<bool>& CatchInterrupt();

// Runs one detection of `host`'s seller on `searchHost` until it ends, Ctrl+C stopping it, and
// leaves its grids in the host; `items` receives the run's item arrays. False when it did not end
// within RunLimit.
bool RunDetection(HeadlessHost& host, const std::string& searchHost, RunItems& items);

// Stores the run in the history at `path` and returns its id. A file found damaged, on opening or
// on the way, is moved aside, as a line added to `notes` tells, and the run stored in a fresh one.
std::int64_t SaveRun(const std::string& path, const history::StoredRun& run, std::vector<std::string>& notes);

}  // namespace tamsel::cli
