#include "listing_fixture.h"
#include "sort_grid.h"

#include <benchmark/benchmark.h>

namespace {

using tamsel::MemoryGrid;
using tamsel::TSortGrid;

constexpr int itemCount = 5000;

void sortRankingGrid(benchmark::State& state, const MemoryGrid& start, int32_t dataCol, int32_t mode)
{
    for (auto _ : state) {
        state.PauseTiming();
        MemoryGrid grid = start;
        state.ResumeTiming();
        TSortGrid::SortByColumn(grid, dataCol, mode);
        benchmark::DoNotOptimize(grid);
    }
    state.counters["dataRows"] = start.rowCount() - 1;
}

const MemoryGrid& afterAnalysis()
{
    static const MemoryGrid grid = tamsel::bench::rankingGrid(itemCount);
    return grid;
}

const MemoryGrid& afterRun()
{
    static const MemoryGrid grid = [] {
        MemoryGrid sorted = afterAnalysis();
        TSortGrid::SortByColumn(sorted, 1, 2);
        return sorted;
    }();
    return grid;
}

// The end of a run: by sales (grid column 2), descending.
void BM_SortBySalesAtEndOfRun(benchmark::State& state)
{
    sortRankingGrid(state, afterAnalysis(), 1, 2);
}

// Header press on sales right after a run: the toggle scan finds the column
// non-increasing (all pairs compared), then sorts ascending.
void BM_SortBySalesHeaderPress(benchmark::State& state)
{
    sortRankingGrid(state, afterRun(), 1, 0);
}

// "权重从高到低排列": by difference (grid column 6), descending.
void BM_SortByDifferenceDescending(benchmark::State& state)
{
    sortRankingGrid(state, afterRun(), 5, 2);
}

// Header press on the titles (grid column 1): GBK texts by length and bytes.
void BM_SortByTitleHeaderPress(benchmark::State& state)
{
    sortRankingGrid(state, afterRun(), 0, 0);
}

}  // namespace

BENCHMARK(BM_SortBySalesAtEndOfRun)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortBySalesHeaderPress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByDifferenceDescending)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByTitleHeaderPress)->Unit(benchmark::kMillisecond);
