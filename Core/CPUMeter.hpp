#pragma once

#include "Core/ProcessGroup.hpp"
#include "Core/ProcessSource.hpp"

#include <functional>
#include <optional>
#include <vector>

namespace corvane::CPUMeter {

// One ProcessUsage per process of `current`, in order: CPU from the growth of
// cumulative time since `previous`, memory from `footprint` or the resident size.
std::vector<ProcessUsage> usage(const std::optional<Snapshot>& previous, const Snapshot& current,
                                const std::function<std::optional<int64_t>(int32_t)>& footprint);

} // namespace corvane::CPUMeter
