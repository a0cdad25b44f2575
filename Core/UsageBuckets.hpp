#pragma once

#include "Core/Date.hpp"
#include "Core/MinuteRecord.hpp"

#include <cstdint>
#include <vector>

namespace corvane {

// One bar of a usage chart.
struct UsageBucket {
    Date start;                // start of the bucket's period
    double cpu = 0;            // mean of the records' cpu, percent
    double pressureShare = 0;  // share of records with pressure above normal
    int64_t swap = 0;          // largest swap, bytes
    int minutes = 0;           // records in the bucket

    bool operator==(const UsageBucket&) const = default;
};

namespace UsageBuckets {

// Groups records into periods of `minutes` aligned on multiples of that length from
// 1970-01-01 00:00 UTC (60: UTC hours, 1440: UTC days), earliest first; periods
// without records have no bucket. Throws std::invalid_argument when minutes is not positive.
std::vector<UsageBucket> bucket(const std::vector<MinuteRecord>& records, int minutes);

} // namespace UsageBuckets

} // namespace corvane
