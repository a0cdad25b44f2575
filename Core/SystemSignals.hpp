#pragma once

#include "Core/EnumNames.hpp"

#include <cstdint>
#include <string>

namespace corvane {

// Memory pressure as the kernel reports it.
enum class Pressure { normal, elevated, critical };

template <>
struct EnumNames<Pressure> {
    static constexpr std::array values{std::string_view("normal"), std::string_view("elevated"),
                                       std::string_view("critical")};
};

// 2 is elevated, 4 critical, anything else normal.
Pressure pressureFromSysctlLevel(int32_t level);
std::string label(Pressure pressure);

// Thermal state, ordered by raw value.
enum class Thermal : int { normal = 0, warm = 1, hot = 2, veryHot = 3 };

template <>
struct EnumNames<Thermal> {
    static constexpr std::array values{std::string_view("normal"), std::string_view("warm"),
                                       std::string_view("hot"), std::string_view("veryHot")};
};

// The platform's thermal state (0 nominal ... 3 critical); any other state is normal.
Thermal thermalFromState(int state);
std::string label(Thermal thermal);

// The machine-wide state read on each tick.
struct SystemSignals {
    double cpuLoadPercent = 0;  // share of the whole machine, 0 to 100
    int coreCount = 0;
    Pressure pressure = Pressure::normal;
    int64_t swapUsedBytes = 0;
    Thermal thermal = Thermal::normal;
    int64_t diskFreeBytes = 0;
    int64_t diskTotalBytes = 0;
    double uptime = 0;  // seconds since boot
    int64_t memoryTotalBytes = 0;

    // The sum of per-core percents as a share of the machine, clamped to 0...100.
    static double cpuLoad(double totalPercent, int cores);

    bool operator==(const SystemSignals&) const = default;
};

// How physical memory is divided, in bytes.
struct MemoryBreakdown {
    int64_t total = 0;
    int64_t app = 0;
    int64_t wired = 0;
    int64_t compressed = 0;
    int64_t cached = 0;
    int64_t free = 0;

    // app + wired + compressed, never more than total.
    int64_t used() const;

    bool operator==(const MemoryBreakdown&) const = default;
};

} // namespace corvane
