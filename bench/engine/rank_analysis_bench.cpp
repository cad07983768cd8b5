#include "listing_fixture.h"

#include <benchmark/benchmark.h>

namespace {

void BM_AnalyseRanks(benchmark::State& state)
{
    tamsel::RunItems items = tamsel::bench::shopListing(5000);
    for (auto _ : state) {
        tamsel::MemoryGrid sgData2(5, 2);
        tamsel::MemoryGrid sgData3(9, 2);
        tamsel::AnalyseRanks(items, sgData2, sgData3);
        benchmark::DoNotOptimize(sgData3);
    }
}

}  // namespace

BENCHMARK(BM_AnalyseRanks)->Unit(benchmark::kMillisecond);
