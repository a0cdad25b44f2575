#pragma once

#include "Platform/MemInfo.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

// The kernel's memory pressure as a level of 1 (normal), 2 (elevated) or 4 (critical),
// the scale the rest of the system maps to Pressure.
namespace corvane::MemoryPressure {

// The higher of the stall level (root/proc/pressure/memory) and the headroom level
// (MemAvailable over MemTotal of `memory`, the caller's reading of meminfo);
// 1 when neither can be read.
int32_t level(const std::filesystem::path& root, const std::optional<MemInfo>& memory);

// From the pressure-stall text: "full avg10" at 10 or more gives 4, else "some avg10"
// at 10 or more gives 2, else 1.
int32_t stallLevel(std::string_view text);

// Available memory below 5 % of the total gives 4, below 15 % gives 2, else 1.
// 1 when the total is not positive.
int32_t headroomLevel(int64_t availableBytes, int64_t totalBytes);

} // namespace corvane::MemoryPressure
