#include "Core/SignalReader.hpp"

#include "Platform/BootClock.hpp"
#include "Platform/DiskCapacity.hpp"
#include "Platform/MemInfo.hpp"
#include "Platform/MemoryPressure.hpp"
#include "Platform/Processors.hpp"
#include "Platform/ThermalZones.hpp"

namespace corvane::SignalReader {

SystemSignals read(double totalCPUPercent, const std::filesystem::path& root)
{
    SystemSignals signals;
    signals.coreCount = Processors::onlineCount(root);
    const auto memory = MemInfo::read(root);
    signals.pressure = pressureFromSysctlLevel(MemoryPressure::level(root, memory));
    signals.swapUsedBytes = memory ? memory->swapUsedBytes() : 0;
    const auto procRoot = root / "proc";
    signals.uptime = BootClock::sinceBootTime(procRoot).value_or(BootClock::uptime(procRoot).value_or(0));
    const auto disk = DiskCapacity::read(root);
    signals.diskFreeBytes = disk.freeBytes;
    signals.diskTotalBytes = disk.totalBytes;
    signals.thermal = thermalFromState(ThermalZones::state(root));
    signals.memoryTotalBytes = memory ? memory->totalBytes() : 0;
    signals.cpuLoadPercent = SystemSignals::cpuLoad(totalCPUPercent, signals.coreCount);
    return signals;
}

} // namespace corvane::SignalReader
