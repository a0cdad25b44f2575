#include "Platform/DesktopAppIndex.hpp"

#include "Platform/ProgramKinds.hpp"

#include <algorithm>

namespace corvane {
namespace {

// Whether a process's options begin with a mode's.
bool startsWith(const std::vector<std::string_view>& options, const std::vector<std::string>& mode)
{
    return mode.size() <= options.size() && std::equal(mode.begin(), mode.end(), options.begin());
}

} // namespace

const DesktopAppIndex::ModeClaim* DesktopAppIndex::matching(const ModeClaims& claims,
                                                            const std::vector<std::string_view>& options)
{
    const auto found = std::find_if(claims.begin(), claims.end(),
                                    [&](const ModeClaim& claim) { return startsWith(options, claim.options); });
    return found == claims.end() ? nullptr : &*found;
}

// This runs for every process on every tick: a process whose program no entry names
// costs a few lookups and no allocation.
const InstalledApp* DesktopAppIndex::owner(const ProcessIdentity& process) const
{
    if (const ModeClaim* claim = programClaim(process))
        return claim->app ? &claim->app->app : nullptr;
    if (const DesktopApp* app = folderApp(process.path))
        return &app->app;
    const DesktopApp* app = unitApp(process);
    return app ? &app->app : nullptr;
}

// The claim of the script an interpreter runs, else of the program, whose options the
// process's begin with. A program none of whose modes match is left to its folder.
const DesktopAppIndex::ModeClaim* DesktopAppIndex::programClaim(const ProcessIdentity& process) const
{
    // The arguments are split only for the few processes whose program an entry names.
    if (interpreters_.contains(process.path)) {
        auto options = process.options();
        if (const auto script = scriptArgument(options); script != options.end()) {
            if (const auto found = scripts_.find(*script); found != scripts_.end()) {
                options.erase(options.begin(), script + 1);
                if (const ModeClaim* claim = matching(found->second, options))
                    return claim;
            }
        }
    }
    const auto found = programs_.find(process.path);
    return found == programs_.end() ? nullptr : matching(found->second, process.options());
}

// From the program's folder outwards, up to the first shared folder: a folder is
// never a program's own path. A shell or multiplexer an app brings along runs what a
// person types into it, so it is no member.
const DesktopApp* DesktopAppIndex::folderApp(std::string_view program) const
{
    if (!program.starts_with('/'))
        return nullptr;
    for (auto end = program.rfind('/'); end != std::string_view::npos && end > 0; end = program.rfind('/', end - 1)) {
        if (const auto found = folders_.find(program.substr(0, end)); found != folders_.end())
            return isShellOrMultiplexer(program) ? nullptr : found->second;
    }
    return nullptr;
}

// Everything typed into a terminal shares the terminal's unit: a process started at a
// prompt, a shell or a multiplexer says nothing of the app whose unit it runs in.
const DesktopApp* DesktopAppIndex::unitApp(const ProcessIdentity& process) const
{
    if (process.scope.empty() || process.terminal || isShellOrMultiplexer(process.path))
        return nullptr;
    const auto found = entries_.find(process.scope);
    return found != entries_.end() && found->second->unitDecides ? found->second : nullptr;
}

const DesktopApp* DesktopAppIndex::byEntry(std::string_view id) const
{
    const auto found = entries_.find(id);
    return found == entries_.end() ? nullptr : found->second;
}

const DesktopApp* DesktopAppIndex::byRoot(std::string_view root) const
{
    const auto found = roots_.find(root);
    return found == roots_.end() ? nullptr : found->second;
}

} // namespace corvane
