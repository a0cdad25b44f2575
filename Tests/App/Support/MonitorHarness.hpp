#pragma once

#include "CorvaneApp/AppSettings.hpp"
#include "CorvaneApp/Monitor.hpp"
#include "Tests/App/Support/ManualScheduler.hpp"
#include "Tests/App/Support/StepExecutor.hpp"
#include "Tests/App/Support/VirtualClock.hpp"

#include <QTemporaryDir>

#include <memory>

namespace corvane::test {

// A Monitor over virtual time, a step executor and fake readers whose answers the test
// sets. Nothing touches the real machine: settings and usage history live in a
// temporary folder.
class MonitorHarness {
public:
    MonitorHarness();
    ~MonitorHarness();

    // The environment over this harness's seams and fakes.
    MonitorEnvironment environment();
    // Builds the Monitor (once); `withCatalog` false gives a Monitor whose catalog failed.
    Monitor& monitor(bool withCatalog = true);

    // Delivers queued calls and runs queued work until nothing is left.
    void settle();
    // Delivers queued calls only (the Monitor's "new task" on the GUI thread).
    static void deliverQueuedCalls();

    // A process of the current user: pid, path, cumulative CPU seconds.
    static ProcessSample process(int32_t pid, const std::string& path, double cpuTime, double psCPU = 0);

    VirtualClock clock;
    ManualScheduler scheduler{clock};
    StepExecutor executor;
    QTemporaryDir folder;
    std::unique_ptr<AppSettings> settings;

    // Fake readers.
    std::vector<ProcessSample> processes;
    bool sampleFails = false;
    int samples = 0;
    SystemSignals signalReading;
    double lastTotalCPU = -1;
    MemoryBreakdown memoryReading;
    std::vector<BackgroundItem> items;
    int scans = 0;
    std::map<std::string, int32_t> launchdJobs;
    bool launchctlFails = false;
    MacInfo macReading;
    int macReads = 0;
    bool lowPower = false;
    ProcessCatalog catalog;
    std::shared_ptr<const InstalledApps> installedApps;  // none by default
    SleepWatcher* sleepWatcher = nullptr;  // owned by the Monitor once started
    int sleepWatchersBuilt = 0;

    static constexpr uint32_t uid = 1000;

private:
    std::unique_ptr<Monitor> monitor_;
};

} // namespace corvane::test
