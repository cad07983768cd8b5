#include "commands.h"

#include "codepage.h"
#include "headless_detection.h"
#include "history_store.h"
#include "run_comparison.h"
#include "run_texts.h"
#include "watch_news.h"
#include "desktop_notification.h"

#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <optional>
#include <thread>

namespace tamsel::cli {
namespace {

constexpr const char* Usage =
    "usage: tamsel-cli watch add SELLER_ID...\n"
    "       tamsel-cli watch remove SELLER_ID...\n"
    "       tamsel-cli watch list\n"
    "       tamsel-cli watch run [--search-host HOST[:PORT]] [--pause SECONDS] [--notify] [--progress]\n";

int usage()
{
    std::cerr << Usage;
    return ExitError;
}

std::vector<std::string> gbkIds(std::vector<std::string>::const_iterator from, std::vector<std::string>::const_iterator to)
{
    std::vector<std::string> ids;
    for (; from != to; ++from)
        ids.push_back(utf8ToGbk(*from));
    return ids;
}

// How one shop of the list fared: its line, and what the notification tells of it.
struct ShopResult {
    std::string sellerId;  // UTF-8
    RunOutcome outcome = RunOutcome::Failed;
    int items = 0;
    int demoted = 0;
    std::optional<int> newlyDemoted;  // none without a judgement, or without an earlier complete run
    std::optional<int> recovered;
};

std::string count(std::optional<int> value)
{
    return value ? std::to_string(*value) : std::string();
}

// Demotions either way against the shop's previous complete run, as the history has them.
void compareWithPrevious(history::HistoryStore& store, std::int64_t id, const history::StoredRun& later, ShopResult& result)
{
    const std::optional<history::RunSummary> previous = store.previousComplete(id);
    const std::optional<history::StoredRun> earlier = previous ? store.load(previous->id) : std::nullopt;
    if (!earlier || !WhyNotComparable(earlier->report, later.report).empty())
        return;
    const RunComparison comparison = CompareRuns({earlier->report, earlier->defaultOrder, earlier->salesOrder},
                                                 {later.report, later.defaultOrder, later.salesOrder});
    result.newlyDemoted = static_cast<int>(comparison.newDemotions.size());
    result.recovered = static_cast<int>(comparison.endedDemotions.size());
}

// One shop's run, as it is stored; the grids it filled are gone again before the comparison
// reads the shop's previous run. `shop` (from 0) names the shop on the progress line, if any.
std::optional<history::StoredRun> detect(const std::string& sellerId, const std::string& searchHost,
                                         const std::size_t* shop, std::size_t shops)
{
    HeadlessHost host(sellerId);
    if (shop != nullptr) {
        host.setProgressListener([shop, shops](const RunProgress& state) {
            std::cerr << "\r\033[K" << watchProgressText(static_cast<int>(*shop) + 1, static_cast<int>(shops), state)
                      << std::flush;
        });
    }
    RunItems items;
    const bool ended = RunDetection(host, searchHost, items);
    if (shop != nullptr)
        std::cerr << "\r\033[K" << std::flush;
    if (!ended)
        return std::nullopt;
    return history::MakeStoredRun(*host.lastReport(), items);
}

// Waits `seconds` between two shops; Ctrl+C ends the wait.
void pause(int seconds, const std::atomic<bool>& interrupted)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!interrupted && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            std::chrono::milliseconds(100), until - std::chrono::steady_clock::now()));
}

// One notification for the whole list, when any shop changed; no bus or no notification
// service is said once, and the list goes on.
void notifyChanges(const std::vector<ShopResult>& results)
{
    std::vector<ShopNews> news;
    for (const ShopResult& result : results)
        news.push_back({result.sellerId, result.newlyDemoted.value_or(0), result.recovered.value_or(0)});
    if (const std::optional<Notification> notification = WatchNotification(news)) {
        if (const std::string why = SendDesktopNotification(notification->summary, notification->body); !why.empty())
            std::cerr << "could not notify: " << why << '\n';
    }
}

// Failed runs weigh most, then what kept a run from the history, then incomplete runs.
int worse(int a, int b)
{
    constexpr int Order[] = {ExitComplete, ExitIncomplete, ExitError, ExitFailed, ExitStopped};
    const auto rank = [&](int status) { return std::find(std::begin(Order), std::end(Order), status) - std::begin(Order); };
    return rank(a) >= rank(b) ? a : b;
}

int runList(const std::vector<std::string>& args)
{
    std::string searchHost = TAMSEL_DEFAULT_SEARCH_HOST;  // set by the build from the hosts configuration
    int pauseSeconds = 5;
    bool notify = false;
    bool progress = isatty(STDERR_FILENO) == 1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--search-host" && i + 1 < args.size()) {
            searchHost = args[++i];
        } else if (args[i] == "--pause" && i + 1 < args.size() && !args[i + 1].empty() && args[i + 1].size() <= 5 &&
                   args[i + 1].find_first_not_of("0123456789") == std::string::npos) {
            pauseSeconds = std::stoi(args[++i]);
        } else if (args[i] == "--notify") {
            notify = true;
        } else if (args[i] == "--progress") {
            progress = true;
        } else {
            return usage();
        }
    }

    const std::string path = history::DefaultHistoryPath(false);
    const std::vector<std::string> sellers = history::HistoryStore(path).watched();
    if (sellers.empty()) {
        std::cerr << "the watch list is empty: add shops with tamsel-cli watch add SELLER_ID\n";
        return ExitComplete;
    }
    const std::atomic<bool>& interrupted = CatchInterrupt();
    int status = ExitComplete;
    std::vector<ShopResult> results;
    std::cout << "seller\toutcome\titems\tdemoted\tnew\trecovered\n" << std::flush;
    for (std::size_t shop = 0; shop < sellers.size() && !interrupted; ++shop) {
        if (shop > 0)
            pause(pauseSeconds, interrupted);
        if (interrupted)
            break;
        ShopResult result;
        result.sellerId = gbkToUtf8(sellers[shop]);
        const std::optional<history::StoredRun> run = detect(sellers[shop], searchHost, progress ? &shop : nullptr,
                                                             sellers.size());
        if (!run) {
            std::cerr << "error: the run of " << result.sellerId << " did not end in time\n";
            status = worse(status, ExitError);
            continue;
        }
        const RunReport& report = run->report;
        result.outcome = report.outcome;
        result.items = report.itemCount;
        result.demoted = report.demotedOutright;
        status = worse(status, ExitStatusOf(report.outcome));
        try {
            std::vector<std::string> notes;
            const std::int64_t id = SaveRun(path, *run, notes);
            for (const std::string& note : notes)
                std::cerr << note << '\n';
            if (report.judged()) {
                history::HistoryStore store(path);
                compareWithPrevious(store, id, *run, result);
            }
        } catch (const history::HistoryError& error) {
            std::cerr << "error: the run of " << result.sellerId << " was not saved: " << error.what() << '\n';
            status = worse(status, ExitError);
        }
        const bool judged = IsJudged(result.outcome);
        std::cout << result.sellerId << '\t' << outcomeName(result.outcome) << '\t' << result.items << '\t'
                  << (judged ? std::to_string(result.demoted) : "") << '\t' << count(result.newlyDemoted) << '\t'
                  << count(result.recovered) << '\n'
                  << std::flush;
        results.push_back(std::move(result));
    }
    if (notify)
        notifyChanges(results);
    return interrupted ? ExitStopped : status;
}

}  // namespace

int watchCommand(const std::vector<std::string>& args)
{
    try {
        if (args.empty())
            return usage();
        const std::string& verb = args[0];
        if (verb == "run")
            return runList({args.begin() + 1, args.end()});
        if (verb == "list" && args.size() == 1) {
            for (const std::string& seller : history::HistoryStore(history::DefaultHistoryPath(false)).watched())
                std::cout << gbkToUtf8(seller) << '\n';
            return ExitComplete;
        }
        if ((verb == "add" || verb == "remove") && args.size() > 1) {
            const std::vector<std::string> ids = gbkIds(args.begin() + 1, args.end());
            history::HistoryStore store(history::DefaultHistoryPath(false));
            const int changed = verb == "add" ? store.watch(ids) : store.unwatch(ids);
            if (verb == "remove" && changed < static_cast<int>(ids.size()))
                std::cerr << "note: " << ids.size() - static_cast<std::size_t>(changed) << " of them were not on the watch list\n";
            return ExitComplete;
        }
        return usage();
    } catch (const history::HistoryError& error) {
        std::cerr << "error: " << error.what() << '\n';
        return ExitError;
    }
}

}  // namespace tamsel::cli
