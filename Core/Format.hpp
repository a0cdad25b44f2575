#pragma once

#include <cstdint>
#include <string>

// Short texts for byte counts, storage sizes and percentages.
namespace corvane::Format {

// Memory-style size in multiples of 1024, from KB up to TB: "0 KB", "512.3 MB", "1.25 GB".
std::string bytes(int64_t count);

// Decimal storage size, whole GB below 1000 GB, else whole TB: "494 GB", "3 TB".
std::string storage(int64_t count);

// The value rounded half away from zero, then "%": "13%". Not-a-number shows as "0%"
// and values beyond the integer range show at its bounds.
std::string percent(double value);

} // namespace corvane::Format
