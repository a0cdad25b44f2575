#include "Core/AppGrouper.hpp"
#include "Core/Diagnosis.hpp"
#include "Core/Numbers.hpp"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace corvane;

namespace {

constexpr uint32_t me = 501;

ProcessUsage process(int32_t pid, std::string path, double cpu, int64_t memory, uint32_t uid = me)
{
    std::string name = path.substr(path.rfind('/') + 1);
    return ProcessUsage{pid, 1, uid, "someone", std::move(path), std::move(name), cpu, memory};
}

// A process table as a desktop shows it: about half the processes belong to apps
// with helpers, the rest are lone daemons, and a few are busy (an indexer, the
// window server, a browser, a virtual machine and some heavy apps).
std::vector<ProcessUsage> processTable(int count)
{
    std::vector<ProcessUsage> table;
    table.reserve(static_cast<std::size_t>(count));
    int32_t pid = 100;
    table.push_back(process(pid++, "/System/Library/Frameworks/CoreServices.framework/mds_stores", 65, 300 << 20, 0));
    table.push_back(process(pid++, "/System/Library/PrivateFrameworks/SkyLight.framework/WindowServer", 45,
                            800 << 20, 88));
    table.push_back(process(pid++, "/System/Library/Frameworks/Virtualization.framework/XPCServices/VM", 120,
                            4LL << 30));
    for (int app = 0; static_cast<int>(table.size()) < count; ++app) {
        const bool busy = app % 50 == 0;
        if (app % 2 == 0) {
            const std::string name = app % 40 == 0 ? "Google Chrome" : app == 2 ? "Docker" : "App" + Numbers::toText(app);
            const std::string bundle = "/Applications/" + name + ".app";
            table.push_back(process(pid++, bundle + "/Contents/MacOS/" + name, busy ? 90 : 1.5, 200 << 20));
            for (int helper = 0; helper < app % 16 && static_cast<int>(table.size()) < count; ++helper)
                table.push_back(process(pid++, bundle + "/Contents/Frameworks/" + name
                                                   + " Helper.app/Contents/MacOS/" + name + " Helper",
                                        0.3, 60 << 20));
        } else {
            table.push_back(process(pid++, "/usr/libexec/daemon" + Numbers::toText(app % 60),
                                    busy ? 85 : 0.1, 8 << 20, app % 3 == 0 ? 0 : me));
        }
    }
    return table;
}

ProcessCatalog syntheticCatalog()
{
    std::vector<CatalogEntry> entries;
    for (int i = 0; i < 36; ++i) {
        CatalogEntry e;
        e.id = "entry" + Numbers::toText(i);
        e.match.names = {"daemon" + Numbers::toText(i * 2), "App" + Numbers::toText(i * 4)};
        if (i % 6 == 0)
            e.match.pathPrefixes = {"/opt/vendor" + Numbers::toText(i) + "/"};
        e.title = "Entry " + Numbers::toText(i);
        e.summary = "A synthetic catalog entry for measuring lookups.";
        e.whyHigh = "It works hard now and then.";
        e.verdict = i % 3 == 0 ? Verdict::leave : Verdict::safe;
        e.fixes = {FixID::explain, FixID::quitApp};
        e.guide = e.id;
        entries.push_back(std::move(e));
    }
    return ProcessCatalog(std::move(entries));
}

// A tick that fires most rules: memory pressure and a filling disk besides the busy processes.
DiagnosisInput busyTick()
{
    DiagnosisInput input;
    input.signals.coreCount = 8;
    input.signals.pressure = Pressure::elevated;
    input.signals.diskFreeBytes = 30'000'000'000;
    input.signals.diskTotalBytes = 500'000'000'000;
    return input;
}

void GroupAndDiagnose(benchmark::State& state)
{
    const auto table = processTable(static_cast<int>(state.range(0)));
    const ProcessCatalog catalog = syntheticCatalog();
    DiagnosisInput input = busyTick();
    for (auto _ : state) {
        input.groups = AppGrouper::group(table, me);
        benchmark::DoNotOptimize(Diagnosis::run(input, catalog));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["groups"] = static_cast<double>(input.groups.size());
    state.counters["findings"] = static_cast<double>(Diagnosis::run(input, catalog).findings.size());
}

// The rules alone, over groups made once.
void Diagnose(benchmark::State& state)
{
    const ProcessCatalog catalog = syntheticCatalog();
    DiagnosisInput input = busyTick();
    input.groups = AppGrouper::group(processTable(static_cast<int>(state.range(0))), me);
    for (auto _ : state)
        benchmark::DoNotOptimize(Diagnosis::run(input, catalog));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(GroupAndDiagnose)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Diagnose)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
