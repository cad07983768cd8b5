#include "headless_detection.h"

#include "detection_run.h"
#include "history_store.h"
#include "save_run.h"

#include <csignal>
#include <pthread.h>

namespace tamsel::cli {
namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onInterrupt(int)
{
    interrupted = true;
}

}  // namespace

int ExitStatusOf(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::Complete:
        return ExitComplete;
    case RunOutcome::Incomplete:
        return ExitIncomplete;
    case RunOutcome::Failed:
        return ExitFailed;
    case RunOutcome::Stopped:
        break;
    }
    return ExitStopped;
}

const std::atomic<bool>& CatchInterrupt()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    // A parent may hand the signal down blocked; the run's threads inherit this thread's mask.
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
    return interrupted;
}

bool RunDetection(HeadlessHost& host, const std::string& searchHost, RunItems& items)
{
    host.setStopFlag(&CatchInterrupt());
    DetectionRun run(host, searchHost);
    const bool ended = host.runToEnd(run, RunLimit) && host.lastReport().has_value();
    items = run.items();
    return ended;
}

std::int64_t SaveRun(const std::string& path, const history::StoredRun& run, std::vector<std::string>& notes)
{
    history::HistoryStore store(path);
    const std::string openedAside = store.movedAside();
    const history::SavedRun saved = history::SaveRun(store, run);
    for (const std::string& aside : {openedAside, saved.movedAside})
        if (!aside.empty())
            notes.push_back("history: the damaged file was kept as " + aside);
    return saved.id;
}

}  // namespace tamsel::cli
