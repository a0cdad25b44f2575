#include "Platform/QuitPlan.hpp"

#include "Core/Text.hpp"
#include "Platform/ProgramKinds.hpp"

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>

namespace corvane::RunningApps {
namespace {

// Programs that start the app's program, wait for it and pass no signal on: a sandbox
// (Flatpak's bwrap, unshare, whose end takes the sandbox down with it), LibreOffice's
// splash launcher, and a shell running an app's script that does not exec its program.
bool onlyWaits(std::string_view program)
{
    constexpr std::string_view launchers[] = {"bwrap", "oosplash", "unshare"};
    return isShell(program)
           || std::find(std::begin(launchers), std::end(launchers), Text::lastPathComponent(program))
                  != std::end(launchers);
}

// A process a copy leads to, and the members that only wait that it was reached through.
struct Reached {
    std::size_t member;
    std::vector<std::size_t> through;  // outermost first
};

class Tree {
public:
    explicit Tree(const std::vector<AppMember>& members) : members_(members)
    {
        for (std::size_t i = 0; i < members.size(); ++i)
            byPid_.emplace(members[i].pid, i);
        for (std::size_t i = 0; i < members.size(); ++i) {
            if (const auto parent = parentOf(i))
                children_[*parent].push_back(i);
            else
                copies_.push_back(i);
        }
    }

    const std::vector<std::size_t>& copies() const { return copies_; }

    std::optional<std::size_t> parentOf(std::size_t member) const
    {
        const auto found = byPid_.find(members_[member].ppid);
        if (found == byPid_.end() || found->second == member)
            return std::nullopt;
        return found->second;
    }

    bool waits(std::size_t member) const
    {
        return onlyWaits(members_[member].executable) && children_.contains(member);
    }

    // What a copy leads to: itself, or through what only waits, every member child.
    std::vector<Reached> reach(std::size_t copy) const
    {
        std::vector<Reached> reached;
        std::vector<Reached> pending{{copy, {}}};
        // Bounded by the members, as a parent's pid read from /proc is no proof of a tree.
        for (std::size_t steps = 0; !pending.empty() && steps < members_.size(); ++steps) {
            Reached next = std::move(pending.back());
            pending.pop_back();
            if (!waits(next.member)) {
                reached.push_back(std::move(next));
                continue;
            }
            auto through = next.through;
            through.push_back(next.member);
            for (const std::size_t child : children_.at(next.member))
                pending.push_back({child, through});
        }
        return reached;
    }

    // Earlier started first, the lower pid on a tie.
    bool earlier(std::size_t a, std::size_t b) const
    {
        return std::pair(members_[a].started, members_[a].pid) < std::pair(members_[b].started, members_[b].pid);
    }

private:
    const std::vector<AppMember>& members_;
    std::unordered_map<int32_t, std::size_t> byPid_;
    std::map<std::size_t, std::vector<std::size_t>> children_;
    std::vector<std::size_t> copies_;
};

} // namespace

QuitPlan QuitPlan::of(const std::vector<AppMember>& members, const std::string& program)
{
    const Tree tree(members);
    std::vector<std::vector<Reached>> reached;
    for (const std::size_t copy : tree.copies())
        reached.push_back(tree.reach(copy));
    if (reached.empty())
        return {};
    const auto runs = [&](std::size_t member, const std::string& path) { return members[member].executable == path; };

    bool entryProgramRuns = false;
    for (const auto& leads : reached)
        entryProgramRuns = entryProgramRuns || std::any_of(leads.begin(), leads.end(), [&](const Reached& r) {
                               return runs(r.member, program);
                           });
    std::string appProgram = program;
    if (!entryProgramRuns) {
        // The earliest copy that waits, else the earliest copy, and the earliest it leads to.
        const auto before = [&](std::size_t a, std::size_t b) {
            return tree.waits(a) != tree.waits(b) ? tree.waits(a) : tree.earlier(a, b);
        };
        std::size_t first = 0;
        for (std::size_t i = 1; i < reached.size(); ++i) {
            if (before(tree.copies()[i], tree.copies()[first]))
                first = i;
        }
        const auto earliest = std::min_element(reached[first].begin(), reached[first].end(),
                                               [&](const Reached& a, const Reached& b) { return tree.earlier(a.member, b.member); });
        appProgram = members[earliest->member].executable;
    }

    std::vector<bool> asked(members.size(), false);
    std::map<std::size_t, std::vector<std::size_t>> waitedFor;
    for (const auto& leads : reached) {
        const bool hasApp = std::any_of(leads.begin(), leads.end(), [&](const Reached& r) { return runs(r.member, appProgram); });
        for (const auto& lead : leads) {
            const bool started = !lead.through.empty() && !members[lead.through.back()].reaps;
            if (!runs(lead.member, appProgram) && !(hasApp && started))
                continue;
            asked[lead.member] = true;
            for (const std::size_t wrapper : lead.through)
                waitedFor[wrapper].push_back(lead.member);
        }
    }
    for (std::size_t i = 0; i < members.size(); ++i) {
        const auto parent = tree.parentOf(i);
        if (runs(i, appProgram) && parent && !runs(*parent, appProgram))
            asked[i] = true;
    }

    QuitPlan plan;
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (asked[i])
            plan.targets.push_back(i);
    }
    for (auto& [wrapper, targets] : waitedFor) {
        std::sort(targets.begin(), targets.end());
        plan.wrappers.push_back({wrapper, std::move(targets)});
    }
    return plan;
}

} // namespace corvane::RunningApps
