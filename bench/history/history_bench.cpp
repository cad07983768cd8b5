// The run history with the big shop's run (4800 + 4800 records): saving it, listing a thousand
// stored runs, loading one and showing it in the grids, and its size on disk.
#include "detection_run.h"
#include "headless_host.h"
#include "history_store.h"
#include "market_simulator.h"
#include "memory_grid.h"
#include "result_grids.h"
#include "run_comparison.h"
#include "run_grids.h"
#include "shop_streaks.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace tamsel;
using namespace tamsel::history;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct Times {
    std::vector<double> ms;
    double at(double share)
    {
        std::sort(ms.begin(), ms.end());
        return ms[std::min(ms.size() - 1, static_cast<std::size_t>(share * static_cast<double>(ms.size())))];
    }
};

template <typename Work>
Times timed(int times, Work work)
{
    Times result;
    for (int i = 0; i < times; ++i) {
        const auto start = Clock::now();
        work();
        result.ms.push_back(ms(Clock::now() - start));
    }
    return result;
}

StoredRun bigShopRun()
{
    sim::MarketSimulator simulator;
    HeadlessHost host("big-shop");
    DetectionRun run(host, "127.0.0.1:" + std::to_string(simulator.start()));
    if (!host.runToEnd(run, std::chrono::minutes(2)) || !host.lastReport())
        throw std::runtime_error("the run did not end");
    return MakeStoredRun(*host.lastReport(), run.items());
}

}  // namespace

int main(int argc, char** argv)
{
    std::string dir = std::filesystem::temp_directory_path().string();
    int runs = 1000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--dir") == 0)
            dir = argv[i + 1];
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    const std::string path = dir + "/tamsel-history-bench.sqlite3";
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(path + suffix);

    const StoredRun run = bigShopRun();
    std::size_t titleBytes = 0;
    for (const TItemInfo& item : run.defaultOrder)
        titleBytes += item.Title.size();
    std::printf("big-shop run: %zu default-order + %zu sales-order records, titles %.1f bytes on average\n",
                run.defaultOrder.size(), run.salesOrder.size(),
                static_cast<double>(titleBytes) / static_cast<double>(run.defaultOrder.size()));

    std::int64_t lastId = 0;
    {
        HistoryStore store(path);
        Times save = timed(runs, [&] { lastId = store.save(run); });
        std::printf("save (%d runs into one file): median %6.1f ms, 95th %6.1f ms, max %6.1f ms  (budget 50 ms)\n",
                    runs, save.at(0.5), save.at(0.95), save.at(1.0));
    }
    const double perRun = static_cast<double>(std::filesystem::file_size(path)) / runs;
    std::printf("on disk:  %8.1f KiB per run (budget 400 KiB), %6.1f MiB for a year of daily runs\n", perRun / 1024,
                perRun * 365 / (1024 * 1024));

    {
        HistoryStore store(path);
        std::size_t listed = 0;
        Times list = timed(20, [&] { listed = store.list(std::nullopt, 1000).size(); });
        std::printf("list %zu runs:           median %6.1f ms, max %6.1f ms  (budget 20 ms)\n", listed, list.at(0.5),
                    list.at(1.0));

        Times load = timed(10, [&] { store.load(lastId); });
        Times show = timed(10, [&] {
            const std::optional<StoredRun> loaded = store.load(lastId);
            RunItems items = ItemsOf(*loaded);
            MemoryGrid grid1(0, 0), grid2(0, 0), grid3(0, 0);
            SetupResultGrid(grid1, sgData1Columns());
            SetupResultGrid(grid2, sgData2Columns());
            SetupResultGrid(grid3, sgData3Columns());
            ShowRun(items, loaded->report, grid1, grid2, grid3);
        });
        std::printf("load:                    median %6.1f ms, max %6.1f ms\n", load.at(0.5), load.at(1.0));
        std::printf("load + ShowRun:          median %6.1f ms, max %6.1f ms  (budget 150 ms)\n", show.at(0.5),
                    show.at(1.0));

        // Two stored big-shop runs, as the comparison with the previous run reads them.
        const std::optional<StoredRun> later = store.load(lastId);
        const std::optional<StoredRun> earlier = store.load(lastId - 1);
        Times compare = timed(10, [&] {
            CompareRuns({earlier->report, earlier->defaultOrder, earlier->salesOrder},
                        {later->report, later->defaultOrder, later->salesOrder});
        });
        Times loadAndCompare = timed(10, [&] {
            const std::optional<StoredRun> a = store.load(lastId - 1);
            const std::optional<StoredRun> b = store.load(lastId);
            CompareRuns({a->report, a->defaultOrder, a->salesOrder}, {b->report, b->defaultOrder, b->salesOrder});
        });
        std::printf("compare two runs:        median %6.1f ms, max %6.1f ms  (budget 20 ms); with both loads %6.1f ms\n",
                    compare.at(0.5), compare.at(1.0), loadAndCompare.at(0.5));
    }
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(path + suffix);

    // A year of daily big-shop runs, and since when each demoted item of the latest is demoted.
    {
        HistoryStore store(path);
        StoredRun daily = run;
        const auto firstDay = std::chrono::system_clock::now() - std::chrono::hours(24 * 365);
        for (int day = 0; day < 365; ++day) {
            daily.report.started = firstDay + std::chrono::hours(24 * day);
            lastId = store.save(daily);
        }
        std::size_t demoted = 0;
        Times items = timed(10, [&] {
            const std::optional<StoredRun> latest = store.load(lastId);
            demoted = StreaksUpTo(store, *latest).demoted.size();
        });
        std::printf("history items (365 daily runs, %zu demoted): median %6.1f ms, max %6.1f ms  (budget 300 ms)\n",
                    demoted, items.at(0.5), items.at(1.0));
    }
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(path + suffix);
    return 0;
}
