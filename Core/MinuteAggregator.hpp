#pragma once

#include "Core/Date.hpp"
#include "Core/MinuteRecord.hpp"
#include "Core/SystemSignals.hpp"

#include <cstdint>
#include <optional>

namespace corvane {

// Folds the monitor's samples into one usage record per minute.
struct MinuteAggregator {
    std::optional<int64_t> minute;  // the minute being accumulated; absent before the first sample
    double sum = 0;                 // CPU loads of the minute's samples, summed
    double peak = 0;
    int worst = 0;                  // worst pressure rank
    int64_t swap = 0;               // of the last sample
    int64_t mem = 0;                // of the last sample
    int n = 0;

    // Folds one sample in. Returns the finished record of the previous minute when
    // this sample belongs to another minute (later, or earlier after a clock change).
    std::optional<MinuteRecord> add(double cpuLoad, Pressure pressure, int64_t swap, int64_t memUsed, Date at);
};

} // namespace corvane
