#include "Platform/DesktopAppIndex.hpp"

#include "Platform/ProgramKinds.hpp"

#include <algorithm>
#include <stdexcept>

namespace corvane {
namespace {

// Whether a process's options begin with a mode's.
bool startsWith(const std::vector<std::string_view>& options, const std::vector<std::string>& mode)
{
    return mode.size() <= options.size() && std::equal(mode.begin(), mode.end(), options.begin());
}

} // namespace

DesktopAppIndex::DesktopAppIndex(SharedFolders sharedFolders) : sharedFolders_(std::move(sharedFolders)) {}

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
        return claim->by == ModeClaim::By::app ? &claim->app->app : nullptr;
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
        if (const auto script = scriptArgument(process.path, options); script != options.end()) {
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
        const auto folder = program.substr(0, end);
        if (const auto found = folders_.find(folder); found != folders_.end())
            return isShellOrMultiplexer(program) ? nullptr : found->second;
        if (sharedFolders_.contains(folder))
            return nullptr;
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

DesktopAppIndex::Builder::Builder(SharedFolders sharedFolders)
    : index_(new DesktopAppIndex(std::move(sharedFolders)))
{
}

const DesktopApp& DesktopAppIndex::Builder::add(DesktopApp app)
{
    if (const DesktopApp* known = index_->byRoot(app.app.root))
        return *known;
    const auto& added = index_->apps_.emplace_back(std::move(app));
    index_->roots_.emplace(added.app.root, &added);
    return added;
}

// A claim naming an app of another index would dangle once that index is gone.
const DesktopApp* DesktopAppIndex::Builder::owned(const DesktopApp& app) const
{
    if (index_->byRoot(app.app.root) != &app)
        throw std::invalid_argument("claim for an app the index does not hold: " + app.app.root);
    return &app;
}

void DesktopAppIndex::Builder::claimFolder(const std::string& folder, const DesktopApp& app)
{
    index_->folders_.emplace(folder, owned(app));
}

void DesktopAppIndex::Builder::claimEntry(const std::string& id, const DesktopApp& app)
{
    index_->entries_.emplace(id, owned(app));
}

void DesktopAppIndex::Builder::claimMode(const std::string& program, const std::vector<std::string>& options,
                                         const DesktopApp& app)
{
    insert(index_->programs_[program], {options, ModeClaim::By::app, owned(app)});
}

void DesktopAppIndex::Builder::claimScript(const std::string& script, const std::vector<std::string>& options,
                                           const DesktopApp& app)
{
    insert(index_->scripts_[script], {options, ModeClaim::By::app, owned(app)});
}

void DesktopAppIndex::Builder::interpreter(const std::string& program)
{
    index_->interpreters_.insert(program);
}

void DesktopAppIndex::Builder::leaveToSession(const std::string& program, const std::vector<std::string>& options)
{
    insert(index_->programs_[program], {options, ModeClaim::By::session, nullptr});
}

// Longest options first, so that the first match is the longest; of equal ones the
// session's first, then the earliest app's.
void DesktopAppIndex::Builder::insert(ModeClaims& claims, ModeClaim claim)
{
    const auto known = std::any_of(claims.begin(), claims.end(), [&](const ModeClaim& other) {
        return other.by == ModeClaim::By::app && (other.options.empty() || other.options == claim.options);
    });
    if (claim.by == ModeClaim::By::app && known)
        return;
    const auto size = claim.options.size();
    const auto at = claim.by == ModeClaim::By::session
                        ? std::find_if(claims.begin(), claims.end(), [&](const ModeClaim& c) { return c.options.size() <= size; })
                        : std::find_if(claims.begin(), claims.end(), [&](const ModeClaim& c) { return c.options.size() < size; });
    claims.insert(at, std::move(claim));
}

std::shared_ptr<const DesktopAppIndex> DesktopAppIndex::Builder::build() &&
{
    return std::move(index_);
}

} // namespace corvane
