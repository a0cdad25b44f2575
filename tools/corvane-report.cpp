// One engine run over this machine, printed as text: samples the process table
// twice about a second apart (CPU is measured from the difference), groups and
// explains the processes, reads the system signals, diagnoses and prints the report.
#include "Core/AppGrouper.hpp"
#include "Core/CPUMeter.hpp"
#include "Core/Diagnosis.hpp"
#include "Core/MemoryReader.hpp"
#include "Core/ProcessCatalog.hpp"
#include "Core/Report.hpp"
#include "Core/SignalReader.hpp"
#include "Platform/DesktopApps.hpp"
#include "Platform/LowPowerMode.hpp"
#include "Platform/ProcProcessSource.hpp"

#include <chrono>
#include <iostream>
#include <thread>
#include <unordered_map>
#include <unistd.h>

using namespace corvane;

int main()
{
    ProcessCatalog catalog;
    try {
        catalog = ProcessCatalog::bundled();
    } catch (const std::exception& error) {
        std::cerr << "corvane-report: cannot load the process catalog: " << error.what() << "\n";
        return 1;
    }

    ProcProcessSource source;
    Snapshot previous, current;
    try {
        previous = source.sample();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        current = source.sample();
    } catch (const std::exception& error) {
        std::cerr << "corvane-report: cannot read the process table: " << error.what() << "\n";
        return 1;
    }

    // Footprints are read only for our own processes, as the app does.
    const uint32_t uid = ::getuid();
    std::unordered_map<int32_t, uint32_t> owner;
    for (const auto& process : current.processes)
        owner[process.pid] = process.uid;
    const auto usage = CPUMeter::usage(previous, current, [&](int32_t pid) -> std::optional<int64_t> {
        return owner[pid] == uid ? MemoryReader::footprint(pid) : std::nullopt;
    });
    const auto groups = AppGrouper::group(usage, uid, DesktopApps::shared()->current().get());

    double totalCPU = 0;
    for (const auto& process : usage)
        totalCPU += process.cpuPercent;
    const auto signals = SignalReader::read(totalCPU);

    DiagnosisInput input{signals, groups, std::nullopt, Platform::lowPowerModeEnabled(), std::nullopt,
                         std::chrono::system_clock::now()};
    const auto result = Diagnosis::run(input, catalog);
    std::cout << Report::render(result, groups, catalog, signals) << "\n";
    return 0;
}
