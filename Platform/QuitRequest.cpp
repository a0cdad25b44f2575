#include "Platform/QuitRequest.hpp"

#include "Platform/QuitActions.hpp"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace corvane {

QuitSession QuitSession::fromEnvironment()
{
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    return {variable("DISPLAY"), variable("DBUS_SESSION_BUS_ADDRESS")};
}

namespace RunningApps {

QuitRequest::QuitRequest(fs::path procRoot, std::vector<AppMember> members, QuitPlan plan, const std::string& appId,
                         const QuitSession& session)
    : procRoot_(std::move(procRoot)), members_(std::move(members)), clock_(session.clock), windows_(session.display)
{
    for (const std::size_t member : plan.targets)
        targets_.push_back({member, false, false, std::nullopt});
    for (auto& wrapper : plan.wrappers)
        wrappers_.push_back({std::move(wrapper), false, std::nullopt});
    ask(appId, session.busAddress);
}

std::optional<std::size_t> QuitRequest::targetOf(int32_t pid) const
{
    // Bounded by the members, as a parent's pid read from /proc is no proof of a tree.
    for (std::size_t step = 0; step <= members_.size(); ++step) {
        const auto member = std::find_if(members_.begin(), members_.end(), [&](const AppMember& m) { return m.pid == pid; });
        if (member == members_.end())
            return std::nullopt;
        const auto index = static_cast<std::size_t>(member - members_.begin());
        const auto target = std::find_if(targets_.begin(), targets_.end(), [&](const Target& t) { return t.member == index; });
        if (target != targets_.end())
            return static_cast<std::size_t>(target - targets_.begin());
        pid = member->ppid;
    }
    return std::nullopt;
}

void QuitRequest::ask(const std::string& appId, const std::string& busAddress)
{
    const auto shown = windows_.list();
    std::map<std::size_t, std::vector<const TopLevelWindow*>> windowsOf;
    for (const auto& window : shown) {
        if (const auto target = targetOf(window.pid))
            windowsOf[*target].push_back(&window);
    }
    QuitActions bus(busAddress);
    // The app's own action, where the copy it names owns the name it is exported under.
    std::set<std::string> names;  // activated
    const auto activate = [&](std::size_t target, const std::string& name, const std::string& path) {
        if (names.contains(name))
            return true;
        const auto owner = bus.owner(name);
        if (!owner || targetOf(*owner) != target || !bus.exports(name, path))
            return false;
        bus.activate(name, path);
        names.insert(name);
        return true;
    };

    std::vector<bool> asked(targets_.size(), false);
    for (const auto& entry : windowsOf) {
        const std::size_t t = entry.first;
        const auto& windows = entry.second;
        const bool activated = std::any_of(windows.begin(), windows.end(), [&](const TopLevelWindow* window) {
            return !window->busName.empty() && activate(t, window->busName, window->objectPath);
        });
        if (!activated) {
            for (const TopLevelWindow* window : windows)
                windows_.close(window->id);
        }
        targets_[t].watched = asked[t] = true;
    }
    // Without X11 windows the app may still show its own (on Wayland), and be reached by its id.
    if (windowsOf.empty() && !appId.empty() && bus.connected()) {
        if (const auto owner = bus.owner(appId)) {
            if (const auto target = targetOf(*owner))
                asked[*target] = activate(*target, appId, QuitActions::objectPath(appId));
        }
    }
    for (std::size_t t = 0; t < targets_.size(); ++t) {
        if (!asked[t])
            signal(procRoot_, members_[targets_[t].member], SIGTERM);
    }
}

bool QuitRequest::lingered(std::optional<Duration>& since, bool still, Duration now) const
{
    if (!still) {
        since.reset();
        return false;
    }
    if (!since)
        since = now;
    return now - *since >= lingering;
}

bool QuitRequest::followUp()
{
    const Duration now = clock_->now();
    std::vector<bool> ended(targets_.size());
    bool waiting = false;  // for a copy whose windows are watched
    for (std::size_t t = 0; t < targets_.size(); ++t) {
        ended[t] = gone(targets_[t].member);
        waiting = waiting || (targets_[t].watched && !targets_[t].signalled && !ended[t]);
    }
    std::set<std::size_t> withWindows;
    if (waiting) {
        for (const auto& window : windows_.list()) {
            if (const auto target = targetOf(window.pid))
                withWindows.insert(*target);
        }
    }
    for (std::size_t t = 0; t < targets_.size(); ++t) {
        auto& target = targets_[t];
        if (target.watched && !target.signalled && !ended[t] && lingered(target.since, !withWindows.contains(t), now)) {
            signal(procRoot_, members_[target.member], SIGTERM);
            target.signalled = true;
        }
    }

    bool allEnded = std::find(ended.begin(), ended.end(), false) == ended.end();
    for (auto& wrapper : wrappers_) {
        if (gone(wrapper.waits.member))
            continue;
        allEnded = false;
        const auto& waitsFor = wrapper.waits.targets;
        const bool alone = std::all_of(waitsFor.begin(), waitsFor.end(), [&](std::size_t member) { return gone(member); });
        if (!wrapper.signalled && lingered(wrapper.since, alone, now)) {
            signal(procRoot_, members_[wrapper.waits.member], SIGTERM);
            wrapper.signalled = true;
        }
    }
    return allEnded;
}

} // namespace RunningApps
} // namespace corvane
