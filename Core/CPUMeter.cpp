#include "Core/CPUMeter.hpp"

#include <unordered_map>

namespace corvane::CPUMeter {

std::vector<ProcessUsage> usage(const std::optional<Snapshot>& previous, const Snapshot& current,
                                const std::function<std::optional<int64_t>(int32_t)>& footprint)
{
    std::unordered_map<int32_t, const ProcessSample*> before;
    double dt = 0;
    if (previous) {
        before.reserve(previous->processes.size());
        for (const auto& sample : previous->processes)
            before.try_emplace(sample.pid, &sample);  // the first sample of a pid wins
        dt = secondsBetween(previous->takenAt, current.takenAt);
    }

    std::vector<ProcessUsage> result;
    result.reserve(current.processes.size());
    for (const auto& s : current.processes) {
        double cpu = s.psCPU;
        if (dt > 0) {
            const auto it = before.find(s.pid);
            if (it != before.end() && it->second->path == s.path && it->second->cpuTime <= s.cpuTime)
                cpu = (s.cpuTime - it->second->cpuTime) / dt * 100;
        }
        if (cpu < 0)
            cpu = 0;
        const int64_t memory = footprint(s.pid).value_or(s.rssBytes);
        result.push_back(ProcessUsage{s.pid, s.ppid, s.uid, s.user, s.path, s.name(), cpu, memory, s.appScope, s.startTime, s.arguments, s.terminal});
    }
    return result;
}

} // namespace corvane::CPUMeter
