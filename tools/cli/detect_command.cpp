#include "commands.h"

#include "codepage.h"
#include "grid_print.h"
#include "headless_detection.h"
#include "headless_host.h"
#include "history_store.h"
#include "run_texts.h"

#include <unistd.h>

#include <csignal>
#include <iostream>

namespace tamsel::cli {
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
    RunItems items;
    const bool ended = RunDetection(host, searchHost, items);
    if (progress)
        std::cerr << "\r\033[K" << std::flush;
    if (!ended) {
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
                SaveRun(history::DefaultHistoryPath(false), history::MakeStoredRun(report, items), notes);
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
    return ExitStatusOf(report.outcome);
}

}  // namespace tamsel::cli
