#pragma once

#include "Core/SystemSignals.hpp"

#include <filesystem>

namespace corvane::SignalReader {

// The machine-wide state now. `totalCPUPercent` is the sum of every process's CPU
// percent this tick (each a percent of one core). `root` is the file-system root the
// kernel's counters are read under ("/" on a live system); the disk figures are those
// of the volume holding it. Never fails: what cannot be read becomes 0 or normal.
SystemSignals read(double totalCPUPercent, const std::filesystem::path& root = "/");

} // namespace corvane::SignalReader
