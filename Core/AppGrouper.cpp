#include "Core/AppGrouper.hpp"

#include "Core/Numbers.hpp"
#include "Core/SafetyGate.hpp"
#include "Core/Text.hpp"

#include <algorithm>
#include <unordered_map>

namespace corvane::AppGrouper {

std::optional<std::string> outermostApp(std::string_view path)
{
    const auto inside = path.find(".app/");
    if (inside != std::string_view::npos)
        return std::string(path.substr(0, inside)) + ".app";
    if (path.ends_with(".app"))
        return std::string(path);
    return std::nullopt;
}

std::vector<ProcessGroup> group(const std::vector<ProcessUsage>& usage, uint32_t currentUID,
                                const InstalledApps* apps)
{
    std::vector<ProcessGroup> groups;
    std::vector<const InstalledApp*> installedOf;  // per group: the installed app it is, if any
    std::unordered_map<std::string, std::size_t> indexByKey;
    for (const auto& process : usage) {
        auto bundle = outermostApp(process.path);
        const InstalledApp* installed =
            bundle || !apps ? nullptr : apps->owner({process.path, process.arguments.view(), process.appScope, process.terminal});
        std::string key = bundle      ? *bundle
                          : installed ? installed->root
                                      : "pid:" + Numbers::toText(process.pid);
        // Another user's copy of an app is a group of its own: it must neither become
        // the primary of mine (which the safety gate would then refuse) nor add to it.
        if ((bundle || installed) && process.uid != currentUID)
            key = "uid:" + Numbers::toText(process.uid) + ":" + key;
        auto [it, inserted] = indexByKey.try_emplace(key, groups.size());
        if (inserted) {
            ProcessGroup g;
            g.id = std::move(key);
            if (bundle) {
                auto name = Text::lastPathComponent(*bundle);
                g.displayName = name.substr(0, name.rfind('.'));
                g.appPath = std::move(bundle);
            } else if (installed) {
                g.displayName = installed->name;
                g.appPath = installed->root;
                g.program = installed->program;
                g.appKind = installed->regular ? AppKind::installedApp : AppKind::sessionPart;
            } else {
                g.displayName = process.name;
            }
            groups.push_back(std::move(g));
            installedOf.push_back(installed);
        }
        groups[it->second].members.push_back(process);
    }

    for (std::size_t i = 0; i < groups.size(); ++i) {
        ProcessGroup& g = groups[i];
        for (const auto& member : g.members) {
            g.cpuPercent += member.cpuPercent;
            // Stop at the largest count rather than wrap: each member's size may be near it.
            g.memoryBytes = Numbers::saturatingAdd(g.memoryBytes, member.memoryBytes);
        }
        const auto primary = g.primary();
        if (const InstalledApp* installed = installedOf[i])
            g.quittable = SafetyGate::canQuitInstalledApp(primary.uid, currentUID, primary.path, g.displayName,
                                                          installed->regular);
        else if (g.appPath)
            g.quittable = SafetyGate::canQuit(primary.uid, currentUID, primary.path, g.displayName, true);
    }

    std::stable_sort(groups.begin(), groups.end(), [](const ProcessGroup& a, const ProcessGroup& b) {
        if (a.cpuPercent != b.cpuPercent)
            return a.cpuPercent > b.cpuPercent;
        return a.displayName < b.displayName;  // by character codes, not locale
    });
    return groups;
}

} // namespace corvane::AppGrouper
