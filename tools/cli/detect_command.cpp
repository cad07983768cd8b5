#include "commands.h"

#include "codepage.h"
#include "detection_run.h"
#include "headless_host.h"
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
    ExitUsage = 1,
    ExitFailed = 2,
    ExitIncomplete = 3,
    ExitStopped = 130,  // as a shell reports a program ended by SIGINT
};

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onInterrupt(int)
{
    interrupted = true;
}

void printGrid(std::ostream& out, const char* name, const StringGrid& grid)
{
    out << "# " << name << '\n';
    for (int row = 0; row < grid.rowCount(); ++row) {
        for (int col = 0; col < grid.colCount(); ++col) {
            if (col > 0)
                out << '\t';
            out << gbkToUtf8(grid.cell(col, row));
        }
        out << '\n';
    }
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

}  // namespace

int detectCommand(const std::vector<std::string>& args)
{
    std::string searchHost = TAMSEL_DEFAULT_SEARCH_HOST;  // set by the build from the hosts configuration
    std::string sellerId;
    bool haveSellerId = false;
    bool progress = isatty(STDERR_FILENO) == 1;
    bool usable = true;
    for (size_t i = 0; i < args.size() && usable; ++i) {
        if (args[i] == "--search-host" && i + 1 < args.size())
            searchHost = args[++i];
        else if (args[i] == "--progress")
            progress = true;
        else if (!haveSellerId && (args[i].empty() || args[i][0] != '-')) {
            sellerId = args[i];
            haveSellerId = true;
        } else
            usable = false;
    }
    if (!usable || !haveSellerId) {
        std::cerr << "usage: tamsel-cli detect [--search-host HOST[:PORT]] [--progress] SELLER_ID\n";
        return ExitUsage;
    }

    HeadlessHost host(utf8ToGbk(sellerId));
    if (progress) {
        // One line, rewritten in place; cleared again before the report.
        host.setProgressListener([](const RunProgress& state) {
            std::cerr << "\r\033[K" << progressText(state) << std::flush;
        });
    }
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
        return ExitUsage;
    }
    printGrid(std::cout, "sgData1", host.sgData1());
    printGrid(std::cout, "sgData2", host.sgData2());
    printGrid(std::cout, "sgData3", host.sgData3());
    std::cout.flush();
    for (const std::string& line : reportLines(*host.lastReport()))
        std::cerr << line << '\n';
    return exitStatus(host.lastReport()->outcome);
}

}  // namespace tamsel::cli
