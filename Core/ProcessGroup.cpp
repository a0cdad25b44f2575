#include "Core/ProcessGroup.hpp"

namespace corvane {

int ProcessGroup::helperCount() const
{
    return members.empty() ? 0 : static_cast<int>(members.size()) - 1;
}

ProcessUsage ProcessGroup::primary() const
{
    if (members.empty())
        return {};
    if (appPath) {
        const std::string mainFolder = *appPath + "/Contents/MacOS/";
        for (const auto& member : members) {
            if (member.path.starts_with(mainFolder)
                && member.path.find('/', mainFolder.size()) == std::string::npos)
                return member;
        }
    }
    // Helpers often run the app's own program too; the app started them.
    const ProcessUsage* earliest = nullptr;
    for (const auto& member : members) {
        if (!program.empty() && member.path == program && (!earliest || member.startTime < earliest->startTime))
            earliest = &member;
    }
    if (earliest)
        return *earliest;
    const ProcessUsage* busiest = &members.front();
    for (const auto& member : members) {
        if (member.cpuPercent > busiest->cpuPercent)
            busiest = &member;
    }
    return *busiest;
}

} // namespace corvane
