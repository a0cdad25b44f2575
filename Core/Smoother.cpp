#include "Core/Smoother.hpp"

#include <algorithm>

namespace corvane::Smoother {

CPUByID cpuByID(const std::vector<ProcessGroup>& groups)
{
    CPUByID result;
    for (const auto& group : groups)
        result[group.id] += group.cpuPercent;
    return result;
}

std::vector<ProcessGroup> average(std::vector<ProcessGroup> latest, const std::vector<CPUByID>& history)
{
    if (history.empty())
        return latest;
    for (auto& group : latest) {
        double sum = 0;
        for (const auto& tick : history) {
            const auto found = tick.find(group.id);
            if (found != tick.end())
                sum += found->second;
        }
        group.cpuPercent = sum / static_cast<double>(history.size());
    }
    std::stable_sort(latest.begin(), latest.end(), [](const ProcessGroup& a, const ProcessGroup& b) {
        return a.cpuPercent > b.cpuPercent;
    });
    return latest;
}

} // namespace corvane::Smoother
