#include "Core/MinuteAggregator.hpp"

#include <algorithm>

namespace corvane {
namespace {

int rank(Pressure pressure)
{
    switch (pressure) {
    case Pressure::normal: return 0;
    case Pressure::elevated: return 1;
    case Pressure::critical: return 2;
    }
    return 0;
}

} // namespace

std::optional<MinuteRecord> MinuteAggregator::add(double cpuLoad, Pressure pressure, int64_t swapBytes,
                                                  int64_t memUsed, Date at)
{
    const int64_t m = minuteOf(at);
    std::optional<MinuteRecord> finished;
    if (minute && *minute != m && n >= 1) {
        finished = MinuteRecord{*minute, sum / n, peak, worst, swap, mem, n};
        sum = 0;
        peak = 0;
        worst = 0;
        n = 0;
    }
    minute = m;
    sum += cpuLoad;
    peak = std::max(peak, cpuLoad);
    worst = std::max(worst, rank(pressure));
    swap = swapBytes;
    mem = memUsed;
    n += 1;
    return finished;
}

} // namespace corvane
