#include "Core/UsageBuckets.hpp"
#include "Core/UsageStore.hpp"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

using namespace corvane;
namespace fs = std::filesystem;

namespace {

constexpr int historyMinutes = 30 * 1440;

// A full 30-day history (one record a minute) written once through the store, in a
// temporary folder removed when the program ends.
struct FullHistory {
    fs::path folder;

    FullHistory()
    {
        std::string pattern = (fs::temp_directory_path() / "corvane-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        folder = pattern;
        const UsageStore store(folder);
        const int64_t first = minuteOf(std::chrono::system_clock::now()) - historyMinutes;
        for (int i = 0; i < historyMinutes; ++i) {
            const double cpu = (i * 37) % 100 + 0.25;
            store.append({first + i, cpu, cpu + 5, i % 7 == 0 ? 1 : 0, int64_t{i} << 16, int64_t{8} << 30, 20});
        }
    }

    ~FullHistory()
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    static const FullHistory& shared()
    {
        static const FullHistory history;
        return history;
    }
};

void UsageHistoryLoad30Days(benchmark::State& state)
{
    const UsageStore store(FullHistory::shared().folder);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.load());
    state.SetItemsProcessed(state.iterations() * historyMinutes);
}
BENCHMARK(UsageHistoryLoad30Days)->Unit(benchmark::kMillisecond);

// What the Usage screen does for its 30-day range: load the history, then daily buckets.
void UsageHistoryLoadAndBucket30Days(benchmark::State& state)
{
    const UsageStore store(FullHistory::shared().folder);
    for (auto _ : state)
        benchmark::DoNotOptimize(UsageBuckets::bucket(store.load(), 1440));
    state.SetItemsProcessed(state.iterations() * historyMinutes);
}
BENCHMARK(UsageHistoryLoadAndBucket30Days)->Unit(benchmark::kMillisecond);

void UsageHistoryBucket(benchmark::State& state)
{
    const auto records = UsageStore(FullHistory::shared().folder).load();
    if (records.size() != historyMinutes)
        state.SkipWithError("history did not load completely");
    for (auto _ : state)
        benchmark::DoNotOptimize(UsageBuckets::bucket(records, static_cast<int>(state.range(0))));
    state.SetItemsProcessed(state.iterations() * historyMinutes);
}
BENCHMARK(UsageHistoryBucket)->ArgName("minutes")->Arg(60)->Arg(1440)->Unit(benchmark::kMicrosecond);

} // namespace
