#include "commands.h"

#include "codepage.h"
#include "csv_export.h"
#include "grid_print.h"
#include "history_items.h"
#include "history_store.h"
#include "local_time.h"
#include "memory_grid.h"
#include "result_grids.h"
#include "run_comparison.h"
#include "run_grids.h"
#include "run_texts.h"
#include "shop_streaks.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

namespace tamsel::cli {
namespace {

constexpr const char* Usage =
    "usage: tamsel-cli history [SELLER_ID]\n"
    "       tamsel-cli history show ID\n"
    "       tamsel-cli history diff [ID_OLD] ID_NEW\n"
    "       tamsel-cli history items SELLER_ID\n"
    "       tamsel-cli history export ID --csv DIR\n";

int usage()
{
    std::cerr << Usage;
    return 1;
}

// A damaged file was moved aside on opening: what it held is in the kept file, not here, so an
// empty answer would mislead.
bool damagedFileSetAside(const history::HistoryStore& store)
{
    if (store.movedAside().empty())
        return false;
    std::cerr << "history: the damaged file was kept as " << store.movedAside() << '\n';
    return true;
}

std::optional<std::int64_t> parseId(const std::string& text)
{
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoll(text);
}

std::string localTime(std::chrono::system_clock::time_point when)
{
    return LocalTimeText(when, "%Y-%m-%d %H:%M:%S");
}

// The three grids of a stored run, as they stood when it ended.
struct Grids {
    explicit Grids(const history::StoredRun& run)
    {
        SetupResultGrid(sgData1, sgData1Columns());
        SetupResultGrid(sgData2, sgData2Columns());
        SetupResultGrid(sgData3, sgData3Columns());
        RunItems items = history::ItemsOf(run);
        ShowRun(items, run.report, sgData1, sgData2, sgData3);
    }
    MemoryGrid sgData1{0, 0};
    MemoryGrid sgData2{0, 0};
    MemoryGrid sgData3{0, 0};
};

history::StoredRun loadRun(history::HistoryStore& store, std::int64_t id)
{
    std::optional<history::StoredRun> run = store.load(id);
    if (!run)
        throw history::HistoryError("历史记录中没有编号为 " + std::to_string(id) + " 的探测");
    return std::move(*run);
}

int listRuns(history::HistoryStore& store, const std::vector<std::string>& args)
{
    if (args.size() > 1)
        return usage();
    const auto seller = args.empty() ? std::nullopt : std::optional<std::string>(utf8ToGbk(args[0]));
    std::cout << "id\ttime\tseller\titems\tdemoted\toutcome\n";
    for (const history::RunSummary& run : store.list(seller)) {
        if (!run.unreadable.empty()) {
            std::cout << run.id << "\t\t\t\t\tunreadable\n";
            continue;
        }
        const bool judged = IsJudged(run.outcome);
        std::cout << run.id << '\t' << localTime(run.started) << '\t' << gbkToUtf8(run.sellerId) << '\t'
                  << run.itemCount << '\t' << (judged ? std::to_string(run.demotedOutright) : "") << '\t'
                  << outcomeName(run.outcome) << '\n';
    }
    return 0;
}

std::string ranks(const ItemStanding& before, const ItemStanding& after, int32_t ItemStanding::*rank)
{
    const auto shown = [rank](const ItemStanding& standing) {
        return standing.present && standing.*rank > 0 ? std::to_string(standing.*rank) : std::string("-");
    };
    return shown(before) + " -> " + shown(after);
}

// "run 7 (2026-12-09 18:16:00)", with the outcome when the run was not complete.
std::string runHeading(const history::StoredRun& run)
{
    std::string heading = "run " + std::to_string(run.id) + " (" + localTime(run.report.started);
    if (run.report.outcome != RunOutcome::Complete)
        heading += ", " + std::string(outcomeName(run.report.outcome));
    return heading + ")";
}

int diffRuns(history::HistoryStore& store, const std::vector<std::int64_t>& ids)
{
    history::StoredRun later = loadRun(store, ids.back());
    std::optional<std::int64_t> earlierId;
    if (ids.size() == 2) {
        earlierId = ids.front();
    } else if (const auto previous = store.previousComplete(later.id)) {
        earlierId = previous->id;
    }
    if (!earlierId)
        throw history::HistoryError("探测 " + std::to_string(later.id) + " 之前没有这个卖家完整的探测");
    history::StoredRun earlier = loadRun(store, *earlierId);
    if (const std::string why = WhyNotComparable(earlier.report, later.report); !why.empty())
        throw history::HistoryError("探测 " + std::to_string(earlier.id) + " 和 " + std::to_string(later.id) + "：" + why);
    // The earlier run is the one that started first, whichever was named first.
    if (later.report.started < earlier.report.started)
        std::swap(earlier, later);

    const RunComparison comparison = CompareRuns({earlier.report, earlier.defaultOrder, earlier.salesOrder},
                                                 {later.report, later.defaultOrder, later.salesOrder});
    // Demoted items also tell since when, as the complete runs up to the later one say.
    std::map<std::string, std::string> since;
    for (const history::ItemStreak& streak : history::StreaksUpTo(store, later).demoted)
        since.emplace(streak.itemId, LocalTimeText(streak.since, "%Y-%m-%d"));
    const std::set<const std::vector<ItemChange>*> demotedSections = {
        &comparison.newlyDemotedOutright, &comparison.newlyJudgedDemoted, &comparison.stillDemoted};

    std::cout << "# " << gbkToUtf8(later.report.sellerId) << ": " << runHeading(earlier) << " -> " << runHeading(later)
              << "\n";
    for (const ComparisonSection& section : ComparisonSections(comparison)) {
        std::cout << "## " << section.title << " (" << section.changes->size() << ")\n";
        for (const ItemChange& change : *section.changes) {
            const ItemStanding& shown = change.after.present ? change.after : change.before;
            std::cout << change.itemId << '\t' << gbkToUtf8(change.title) << '\t' << shown.sales << '\t'
                      << ranks(change.before, change.after, &ItemStanding::actualRank) << '\t'
                      << ranks(change.before, change.after, &ItemStanding::theoreticalRank);
            if (demotedSections.contains(section.changes)) {
                const auto found = since.find(change.itemId);
                std::cout << '\t' << (found != since.end() ? found->second : "-");
            }
            std::cout << '\n';
        }
    }
    return 0;
}

// Written beside under a name of its own, then linked to its name, which fails when a file of
// that name is there: no other file is replaced, and none appears unless complete.
bool writeNew(const std::string& path, const std::string& bytes)
{
    std::string part = path + ".XXXXXX";
    const int fd = mkstemp(part.data());
    if (fd < 0)
        return false;
    const mode_t mask = umask(0);
    umask(mask);
    bool written = fchmod(fd, 0666 & ~mask) == 0;
    for (size_t done = 0; written && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        done += written ? static_cast<size_t>(n) : 0;
    }
    written = close(fd) == 0 && written && link(part.c_str(), path.c_str()) == 0;
    std::remove(part.c_str());
    return written;
}

bool present(const std::string& path)
{
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
}

int exportRun(history::HistoryStore& store, std::int64_t id, const std::string& folder)
{
    const history::StoredRun run = loadRun(store, id);
    const Grids grids(run);
    std::vector<CsvFile> files = RunCsvFiles(run.report, grids.sgData1, grids.sgData2, grids.sgData3);
    const std::vector<std::string> names =
        UnusedRunCsvFileNames(run.report, [&folder](const std::string& name) { return present(folder + "/" + name); });
    if (names.empty()) {
        std::cerr << "error: every name for the files of run " << id << " is taken in " << folder << '\n';
        return 1;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string path = folder + "/" + names[i];
        if (!writeNew(path, files[i].bytes)) {
            std::cerr << "error: cannot write " << path << '\n';
            return 1;
        }
        std::cout << path << '\n';
    }
    return 0;
}

}  // namespace

int historyCommand(const std::vector<std::string>& args)
{
    try {
        if (!args.empty() && args[0] == "items") {
            if (args.size() != 2 || args[1].starts_with("-"))
                return usage();
            history::HistoryStore store(history::DefaultHistoryPath(false));
            if (damagedFileSetAside(store))
                return 1;
            return ListDemotedItems(store, utf8ToGbk(args[1]));
        }
        if (args.empty() || (args[0] != "show" && args[0] != "diff" && args[0] != "export")) {
            if (!args.empty() && args[0].starts_with("-"))
                return usage();
            history::HistoryStore store(history::DefaultHistoryPath(false));
            if (damagedFileSetAside(store))
                return 1;
            return listRuns(store, args);
        }
        std::vector<std::int64_t> ids;
        std::optional<std::string> csvFolder;
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--csv" && i + 1 < args.size() && args[0] == "export")
                csvFolder = args[++i];
            else if (const auto id = parseId(args[i]))
                ids.push_back(*id);
            else
                return usage();
        }
        const std::size_t maxIds = args[0] == "diff" ? 2 : 1;
        if (ids.empty() || ids.size() > maxIds || (args[0] == "export") != csvFolder.has_value())
            return usage();

        history::HistoryStore store(history::DefaultHistoryPath(false));
        if (damagedFileSetAside(store))
            return 1;
        if (args[0] == "show") {
            const Grids grids(loadRun(store, ids.front()));
            printGrids(std::cout, grids.sgData1, grids.sgData2, grids.sgData3);
            return 0;
        }
        if (args[0] == "diff")
            return diffRuns(store, ids);
        return exportRun(store, ids.front(), *csvFolder);
    } catch (const history::HistoryError& error) {
        std::cerr << "error: " << error.what() << '\n';
        return 1;
    }
}

}  // namespace tamsel::cli
