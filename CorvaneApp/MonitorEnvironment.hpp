#pragma once

#include "Core/BackgroundItem.hpp"
#include "Core/InstalledApps.hpp"
#include "Core/MacInfo.hpp"
#include "Core/MemoryStats.hpp"
#include "Core/ProcessCatalog.hpp"
#include "Core/ProcessSource.hpp"
#include "Core/SystemSignals.hpp"
#include "CorvaneApp/Platform/LowPowerProbe.hpp"
#include "CorvaneApp/Platform/SleepWatcher.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

class Clock;
class Executor;
class Scheduler;

// Everything the Monitor calls outside itself. The defaults are the real readers of this
// machine; tests replace every one of them. The readers run on workers, one call at a
// time per reader, and must not touch GUI state. The clock, scheduler and executor must
// outlive the Monitor. The app builds it as
//     Monitor monitor(MonitorEnvironment{clock, scheduler, executor}, settings);
struct MonitorEnvironment {
    const Clock& clock;
    Scheduler& scheduler;
    Executor& executor;

    // Built on the first start(); its signals stop and restart the loop.
    std::function<std::unique_ptr<SleepWatcher>()> sleepWatcher = [] { return SleepWatcher::logind(); };
    std::shared_ptr<LowPowerProbe> lowPower = std::make_shared<LowPowerProbe>();

    std::shared_ptr<ProcessSource> processSource = defaultProcessSource();
    std::function<std::optional<int64_t>(int32_t pid)> footprint = defaultFootprint();
    std::function<SystemSignals(double totalCPUPercent)> readSignals = defaultSignalReader();
    std::function<MemoryBreakdown()> readMemory = defaultMemoryReader();
    // The installed apps processes fold into (besides bundles); nullptr for none.
    std::function<std::shared_ptr<const InstalledApps>()> installedApps = defaultInstalledApps();
    // The background items of a home folder and the root "/", with no pids.
    std::function<std::vector<BackgroundItem>(const std::filesystem::path& home)> scanBackgroundItems =
        defaultBackgroundItemsScan();
    // The running launchd jobs by label; may throw (then no job counts as running).
    std::function<std::map<std::string, int32_t>()> launchctlList = defaultLaunchctlList();
    std::function<MacInfo()> readMac = defaultMacReader();

    std::filesystem::path home = defaultHome();
    std::filesystem::path usageFolder = defaultUsageFolder();
    uint32_t currentUID = defaultUID();
    // Called once when the Monitor is built; nothing when the catalog cannot be loaded.
    std::function<std::optional<ProcessCatalog>()> loadCatalog = defaultCatalogLoader();

    static std::shared_ptr<ProcessSource> defaultProcessSource();
    static std::function<std::optional<int64_t>(int32_t)> defaultFootprint();
    static std::function<SystemSignals(double)> defaultSignalReader();
    static std::function<MemoryBreakdown()> defaultMemoryReader();
    static std::function<std::shared_ptr<const InstalledApps>()> defaultInstalledApps();
    static std::function<std::vector<BackgroundItem>(const std::filesystem::path&)> defaultBackgroundItemsScan();
    static std::function<std::map<std::string, int32_t>()> defaultLaunchctlList();
    static std::function<MacInfo()> defaultMacReader();
    static std::filesystem::path defaultHome();
    static std::filesystem::path defaultUsageFolder();
    static uint32_t defaultUID();
    static std::function<std::optional<ProcessCatalog>()> defaultCatalogLoader();
};

} // namespace corvane
