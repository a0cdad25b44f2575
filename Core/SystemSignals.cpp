#include "Core/SystemSignals.hpp"

#include <algorithm>
#include <cmath>

namespace corvane {

Pressure pressureFromSysctlLevel(int32_t level)
{
    switch (level) {
    case 2: return Pressure::elevated;
    case 4: return Pressure::critical;
    default: return Pressure::normal;
    }
}

std::string label(Pressure pressure)
{
    switch (pressure) {
    case Pressure::normal: return "Normal";
    case Pressure::elevated: return "Elevated";
    case Pressure::critical: return "Critical";
    }
    return "Normal";
}

Thermal thermalFromState(int state)
{
    return state >= 0 && state <= 3 ? static_cast<Thermal>(state) : Thermal::normal;
}

std::string label(Thermal thermal)
{
    switch (thermal) {
    case Thermal::normal: return "Normal";
    case Thermal::warm: return "Warm";
    case Thermal::hot: return "Hot";
    case Thermal::veryHot: return "Very hot";
    }
    return "Normal";
}

double SystemSignals::cpuLoad(double totalPercent, int cores)
{
    const double load = totalPercent / std::max(cores, 1);
    if (std::isnan(load))
        return 0;
    return std::clamp(load, 0.0, 100.0);
}

int64_t MemoryBreakdown::used() const
{
    int64_t sum = 0;
    if (__builtin_add_overflow(app, wired, &sum) || __builtin_add_overflow(sum, compressed, &sum))
        return total;
    return std::min(sum, total);
}

} // namespace corvane
