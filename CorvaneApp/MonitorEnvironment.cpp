#include "CorvaneApp/MonitorEnvironment.hpp"

#include "Core/BackgroundItemsReader.hpp"
#include "Core/MemoryReader.hpp"
#include "Core/PSProcessSource.hpp"
#include "Core/SignalReader.hpp"
#include "Platform/AppDataFolder.hpp"
#include "Platform/DesktopApps.hpp"
#include "Platform/ProcProcessSource.hpp"

#include <QDir>

#include <unistd.h>

namespace corvane {

std::shared_ptr<ProcessSource> MonitorEnvironment::defaultProcessSource()
{
    return std::make_shared<ProcProcessSource>();
}

std::function<std::optional<int64_t>(int32_t)> MonitorEnvironment::defaultFootprint()
{
    return [](int32_t pid) { return MemoryReader::footprint(pid); };
}

std::function<SystemSignals(double)> MonitorEnvironment::defaultSignalReader()
{
    return [](double totalCPUPercent) { return SignalReader::read(totalCPUPercent); };
}

std::function<MemoryBreakdown()> MonitorEnvironment::defaultMemoryReader()
{
    return [] { return MemoryStats::read(); };
}

std::function<std::shared_ptr<const InstalledApps>()> MonitorEnvironment::defaultInstalledApps()
{
    return []() -> std::shared_ptr<const InstalledApps> { return DesktopApps::shared()->current(); };
}

std::function<std::vector<BackgroundItem>(const std::filesystem::path&)>
MonitorEnvironment::defaultBackgroundItemsScan()
{
    return [](const std::filesystem::path& home) { return BackgroundItemsReader::scan(home, "/"); };
}

std::function<std::map<std::string, int32_t>()> MonitorEnvironment::defaultLaunchctlList()
{
    return [] { return PSProcessSource::launchctlList(); };
}

std::function<MacInfo()> MonitorEnvironment::defaultMacReader()
{
    return [] { return MacInfo::read(); };
}

std::filesystem::path MonitorEnvironment::defaultHome()
{
    return QDir::homePath().toStdString();
}

std::filesystem::path MonitorEnvironment::defaultUsageFolder()
{
    return AppDataFolder::path();
}

uint32_t MonitorEnvironment::defaultUID()
{
    return ::getuid();
}

std::function<std::optional<ProcessCatalog>()> MonitorEnvironment::defaultCatalogLoader()
{
    return []() -> std::optional<ProcessCatalog> {
        try {
            return ProcessCatalog::bundled();
        } catch (const std::exception&) {
            return std::nullopt;
        }
    };
}

} // namespace corvane
