#include "commands.h"

#include "codepage.h"
#include "detection_run.h"
#include "grid_print.h"
#include "headless_host.h"
#include "history_store.h"
#include "save_run.h"
#include "run_texts.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <iostream>

namespace tamsel::cli {
namespace {

// Long enough for the largest shop on a slow line; a run that takes longer has hung.
constexpr auto RunLimit = std::chrono::minutes(30);

enum ExitStatus {
    ExitComplete = 0,
    ExitError = 1,  // usage and other errors
    ExitFailed = 2,
    ExitIncomplete = 3,
    ExitStopped = 130,       // as a shell reports a program ended by SIGINT
    ExitOutputClosed = 141,  // as a shell reports a program ended by SIGPIPE
};

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onInterrupt(int)
{
    interrupted = true;
}

int exitStatus(RunOutcome outcome)
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

// Stores the run and returns its id. A file found damaged, on opening or on the way, is moved
// aside, as `notes` tells, and the run stored in a fresh one.
std::int64_t saveRun(const std::string& path, const history::StoredRun& run, std::vector<std::string>& notes)
{
    history::HistoryStore store(path);
    const std::string openedAside = store.movedAside();
    const history::SavedRun saved = history::SaveRun(store, run);
    for (const std::string& aside : {openedAside, saved.movedAside})
        if (!aside.empty())
            notes.push_back("history: the damaged file was kept as " + aside);
    return saved.id;
}

}  // namespace

int detectCommand(const std::vector<std::string>& args)
{
    std::string searchHost = TAMSEL_DEFAULT_SEARCH_HOST;  // set by the build from the hosts configuration
    std::string sellerId;
    bool haveSellerId = false;
    bool progress = isatty(STDERR_FILENO) == 1;
    bool save = false;
    bool usable = true;
    for (size_t i = 0; i < args.size() && usable; ++i) {
        if (args[i] == "--search-host" && i + 1 < args.size())
            searchHost = args[++i];
        else if (args[i] == "--progress")
            progress = true;
        else if (args[i] == "--save")
            save = true;
        else if (!haveSellerId && (args[i].empty() || args[i][0] != '-')) {
            sellerId = args[i];
            haveSellerId = true;
        } else
            usable = false;
    }
    if (!usable || !haveSellerId) {
        std::cerr << "usage: tamsel-cli detect [--search-host HOST[:PORT]] [--progress] [--save] SELLER_ID\n";
        return ExitError;
    }

    HeadlessHost host(utf8ToGbk(sellerId));
    if (progress) {
        // One line, rewritten in place; cleared again before the report.
        host.setProgressListener([](const RunProgress& state) {
            std::cerr << "\r\033[K" << progressText(state) << std::flush;
        });
    }
    // A closed output is told by the exit status once the run is saved, not by the signal.
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    // A parent may hand the signal down blocked; the run's threads inherit this thread's mask.
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
    host.setStopFlag(&interrupted);

    DetectionRun run(host, searchHost);
    const bool ended = host.runToEnd(run, RunLimit);
    if (progress)
        std::cerr << "\r\033[K" << std::flush;
    if (!ended || !host.lastReport()) {
        std::cerr << "error: the run did not end in time\n";
        return ExitError;
    }
    const RunReport& report = *host.lastReport();
    std::vector<std::string> lines = reportLines(report);
    // Saved before anything is printed: a reader that stops early (| head) must not cost the run.
    if (save) {
        // Said before the outcome line, which stays the last.
        try {
            std::vector<std::string> notes;
            const std::int64_t id =
                saveRun(history::DefaultHistoryPath(false), history::MakeStoredRun(report, run.items()), notes);
            notes.push_back("saved: run " + std::to_string(id));
            lines.insert(lines.end() - 1, notes.begin(), notes.end());
        } catch (const history::HistoryError& error) {
            printGrids(std::cout, host.sgData1(), host.sgData2(), host.sgData3());
            std::cout.flush();
            for (const std::string& line : lines)
                std::cerr << line << '\n';
            std::cerr << "error: the run was not saved: " << error.what() << '\n';
            return ExitError;
        }
    }
    printGrids(std::cout, host.sgData1(), host.sgData2(), host.sgData3());
    std::cout.flush();
    for (const std::string& line : lines)
        std::cerr << line << '\n';
    if (!std::cout) {
        std::cerr << "error: standard output was closed before the grids were written\n";
        return ExitOutputClosed;
    }
    return exitStatus(report.outcome);
}

}  // namespace tamsel::cli
