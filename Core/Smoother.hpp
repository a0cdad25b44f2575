#pragma once

#include "Core/ProcessGroup.hpp"

#include <string>
#include <unordered_map>
#include <vector>

// Evens out the CPU of app groups over the last few ticks, so one spike neither
// reorders the list nor raises a finding.
namespace corvane::Smoother {

// One tick's CPU percent per group id.
using CPUByID = std::unordered_map<std::string, double>;

// The map of one tick; groups sharing an id add up.
CPUByID cpuByID(const std::vector<ProcessGroup>& groups);

// The latest groups with their CPU averaged over `history` (oldest first; a group
// missing from a tick counts 0 for it), busiest first, ties in their given order.
// An empty history leaves `latest` as it is.
std::vector<ProcessGroup> average(std::vector<ProcessGroup> latest, const std::vector<CPUByID>& history);

} // namespace corvane::Smoother
