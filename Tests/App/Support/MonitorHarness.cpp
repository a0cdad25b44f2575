#include "Tests/App/Support/MonitorHarness.hpp"

#include <QCoreApplication>

namespace corvane::test {
namespace {

// A process source whose table the harness sets.
class FakeProcessSource final : public ProcessSource {
public:
    explicit FakeProcessSource(MonitorHarness& harness) : harness_(harness) {}
    Snapshot sample() override
    {
        ++harness_.samples;
        if (harness_.sampleFails)
            throw std::runtime_error("ps exited with status 1");
        return {harness_.clock.now(), harness_.processes};
    }

private:
    MonitorHarness& harness_;
};

} // namespace

MonitorHarness::MonitorHarness()
    : settings(std::make_unique<AppSettings>(folder.filePath(QStringLiteral("settings.ini")), executor))
{
    signalReading.coreCount = 8;
    signalReading.memoryTotalBytes = 16LL << 30;
    signalReading.diskTotalBytes = 500LL << 30;
    signalReading.diskFreeBytes = 200LL << 30;
    memoryReading = {16LL << 30, 4LL << 30, 2LL << 30, 1LL << 30, 3LL << 30, 6LL << 30};
}

MonitorHarness::~MonitorHarness() = default;

MonitorEnvironment MonitorHarness::environment()
{
    MonitorEnvironment env{clock, scheduler, executor};
    env.sleepWatcher = [this] {
        ++sleepWatchersBuilt;
        auto watcher = std::make_unique<SleepWatcher>();
        sleepWatcher = watcher.get();
        return watcher;
    };
    env.lowPower = std::make_shared<LowPowerProbe>([this] { return lowPower; });
    env.processSource = std::make_shared<FakeProcessSource>(*this);
    env.footprint = [](int32_t pid) -> std::optional<int64_t> { return int64_t(pid) * 1024; };
    env.readSignals = [this](double total) {
        lastTotalCPU = total;
        return signalReading;
    };
    env.readMemory = [this] { return memoryReading; };
    env.installedApps = [this] { return installedApps; };
    env.scanBackgroundItems = [this](const std::filesystem::path&) {
        ++scans;
        return items;
    };
    env.launchctlList = [this]() -> std::map<std::string, int32_t> {
        if (launchctlFails)
            throw std::runtime_error("launchctl: not found");
        return launchdJobs;
    };
    env.readMac = [this] {
        ++macReads;
        return macReading;
    };
    env.home = folder.filePath(QStringLiteral("home")).toStdString();
    env.usageFolder = folder.filePath(QStringLiteral("usage")).toStdString();
    env.currentUID = uid;
    env.loadCatalog = [this] { return std::optional(catalog); };
    return env;
}

Monitor& MonitorHarness::monitor(bool withCatalog)
{
    if (!monitor_) {
        auto env = environment();
        if (!withCatalog)
            env.loadCatalog = [] { return std::optional<ProcessCatalog>(); };
        monitor_ = std::make_unique<Monitor>(std::move(env), *settings);
    }
    return *monitor_;
}

void MonitorHarness::deliverQueuedCalls()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

void MonitorHarness::settle()
{
    for (;;) {
        deliverQueuedCalls();
        if (executor.pending() == 0)
            break;
        executor.runAll();
    }
}

ProcessSample MonitorHarness::process(int32_t pid, const std::string& path, double cpuTime, double psCPU)
{
    ProcessSample sample;
    sample.pid = pid;
    sample.ppid = 1;
    sample.uid = uid;
    sample.user = "ada";
    sample.cpuTime = cpuTime;
    sample.rssBytes = 1 << 20;
    sample.psCPU = psCPU;
    sample.path = path;
    return sample;
}

} // namespace corvane::test
