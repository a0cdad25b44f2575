// The Monitor's own cost per tick around the engine: the tick with fake readers
// and inline work, beside the same engine calls made directly. The difference is
// what the Monitor adds (copies, publishing, signals, recording).
#include "Core/AppGrouper.hpp"
#include "Core/CPUMeter.hpp"
#include "Core/Diagnosis.hpp"
#include "Core/Numbers.hpp"
#include "Core/Smoother.hpp"
#include "CorvaneApp/AppSettings.hpp"
#include "CorvaneApp/Clock.hpp"
#include "CorvaneApp/Executor.hpp"
#include "CorvaneApp/Monitor.hpp"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <unordered_set>

using namespace corvane;

namespace {

constexpr uint32_t me = 1000;

// A desktop's table: apps with helpers, lone daemons, about a third owned by the user.
std::vector<ProcessSample> processTable(int count)
{
    std::vector<ProcessSample> table;
    for (int i = 0; i < count; ++i) {
        ProcessSample sample;
        sample.pid = 100 + i;
        sample.ppid = 1;
        sample.uid = i % 3 == 0 ? me : 0;
        sample.user = sample.uid == me ? "ada" : "root";
        sample.cpuTime = i * 0.5;
        sample.rssBytes = 50LL << 20;
        sample.psCPU = i % 40 == 0 ? 30 : 0.2;
        const std::string app = "App" + Numbers::toText(i / 6);
        sample.path = i % 2 == 0 ? "/Applications/" + app + ".app/Contents/MacOS/" + app
                                 : "/usr/libexec/daemon" + Numbers::toText(i);
        table.push_back(std::move(sample));
    }
    return table;
}

class SteppingClock final : public Clock {
public:
    Date now() const override { return now_; }
    void advance(std::chrono::seconds step) { now_ += step; }

private:
    Date now_ = Date(std::chrono::seconds(1772359200));
};

class NoScheduler final : public Scheduler {
public:
    Token schedule(double, QObject*, std::function<void()>) override { return 1; }
    void cancel(Token) override {}
};

// Runs work and delivery at once, on the calling thread.
class InlineExecutor final : public Executor {
protected:
    void submit(Lane, QObject*, Job job) override { job()(); }
};

// The table each tick, every process a little busier than the tick before.
class GrowingSource final : public ProcessSource {
public:
    GrowingSource(const Clock& clock, int count) : clock_(clock), table_(processTable(count)) {}
    Snapshot sample() override
    {
        for (auto& process : table_)
            process.cpuTime += 0.3;
        return {clock_.now(), table_};
    }

private:
    const Clock& clock_;
    std::vector<ProcessSample> table_;
};

void BM_MonitorTick(benchmark::State& state)
{
    SteppingClock clock;
    NoScheduler scheduler;
    InlineExecutor executor;
    QTemporaryDir folder;
    AppSettings settings(folder.filePath(QStringLiteral("settings.ini")), executor);
    MonitorEnvironment env{clock, scheduler, executor};
    env.sleepWatcher = nullptr;
    env.lowPower = std::make_shared<LowPowerProbe>([] { return false; });
    env.processSource = std::make_shared<GrowingSource>(clock, static_cast<int>(state.range(0)));
    env.footprint = [](int32_t) -> std::optional<int64_t> { return 40LL << 20; };
    env.readSignals = [](double total) {
        SystemSignals signals;
        signals.coreCount = 8;
        signals.cpuLoadPercent = SystemSignals::cpuLoad(total, 8);
        signals.memoryTotalBytes = 16LL << 30;
        signals.diskTotalBytes = 500LL << 30;
        signals.diskFreeBytes = 200LL << 30;
        return signals;
    };
    env.readMemory = [] { return MemoryBreakdown{16LL << 30, 6LL << 30, 2LL << 30, 1LL << 30, 4LL << 30, 3LL << 30}; };
    env.usageFolder = folder.filePath(QStringLiteral("usage")).toStdString();
    env.currentUID = me;
    env.loadCatalog = [] { return std::optional(ProcessCatalog::bundled()); };
    Monitor monitor(std::move(env), settings);
    // A few observers per property, as the screens connect them.
    QObject views;
    for (int i = 0; i < 4; ++i) {
        QObject::connect(&monitor, &Monitor::groupsChanged, &views, [] {});
        QObject::connect(&monitor, &Monitor::resultChanged, &views, [] {});
        QObject::connect(&monitor, &Monitor::cpuHistoryChanged, &views, [] {});
        QObject::connect(&monitor, &Monitor::lastCheckedChanged, &views, [] {});
    }
    for (auto _ : state) {
        clock.advance(std::chrono::seconds(30));
        monitor.tick();
    }
    benchmark::DoNotOptimize(monitor.groups().size());
}
BENCHMARK(BM_MonitorTick)->Arg(400)->Unit(benchmark::kMicrosecond);

// The engine's share of the same tick, called directly.
void BM_EngineTickAlone(benchmark::State& state)
{
    SteppingClock clock;
    GrowingSource source(clock, static_cast<int>(state.range(0)));
    const auto catalog = ProcessCatalog::bundled();
    std::optional<Snapshot> previous;
    std::vector<Smoother::CPUByID> history;
    for (auto _ : state) {
        clock.advance(std::chrono::seconds(30));
        auto snapshot = source.sample();
        std::unordered_set<int32_t> own;
        for (const auto& process : snapshot.processes) {
            if (process.uid == me)
                own.insert(process.pid);
        }
        const auto usage = CPUMeter::usage(previous, snapshot, [&](int32_t pid) -> std::optional<int64_t> {
            return own.contains(pid) ? std::optional<int64_t>(40LL << 20) : std::nullopt;
        });
        auto groups = AppGrouper::group(usage, me);
        history.push_back(Smoother::cpuByID(groups));
        if (history.size() > 3)
            history.erase(history.begin());
        auto smoothed = Smoother::average(std::move(groups), history);
        SystemSignals signals;
        signals.coreCount = 8;
        signals.memoryTotalBytes = 16LL << 30;
        signals.diskTotalBytes = 500LL << 30;
        signals.diskFreeBytes = 200LL << 30;
        DiagnosisInput input{signals, std::move(smoothed), std::nullopt, false, std::nullopt, clock.now()};
        benchmark::DoNotOptimize(Diagnosis::run(input, catalog));
        previous = std::move(snapshot);
    }
}
BENCHMARK(BM_EngineTickAlone)->Arg(400)->Unit(benchmark::kMicrosecond);

} // namespace
