#include "Platform/ProcProcessSource.hpp"

#include <benchmark/benchmark.h>

using namespace corvane;

// One full reading of this machine's process table, as each monitor tick takes it.
static void ProcProcessSourceSample(benchmark::State& state)
{
    ProcProcessSource source;
    std::size_t processes = 0;
    for (auto _ : state) {
        const Snapshot snapshot = source.sample();
        processes = snapshot.processes.size();
        benchmark::DoNotOptimize(snapshot);
    }
    state.counters["processes"] = static_cast<double>(processes);
}
BENCHMARK(ProcProcessSourceSample)->Unit(benchmark::kMillisecond);
