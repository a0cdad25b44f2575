#include "Platform/RunningApps.hpp"

#include "Core/AppGrouper.hpp"
#include "Core/PropertyList.hpp"
#include "Core/Text.hpp"
#include "Platform/AppScope.hpp"
#include "Platform/DesktopAppIndex.hpp"
#include "Platform/ProcFS.hpp"

#include <algorithm>
#include <csignal>
#include <map>
#include <memory>

namespace fs = std::filesystem;

namespace corvane::RunningApps {

namespace {

// How the app presents itself, as its bundle's Info.plist says.
ActivationPolicy readActivationPolicy(const std::string& bundle)
{
    const auto list = PropertyList::read(fs::path(bundle) / "Contents/Info.plist");
    if (list && list->boolean("LSBackgroundOnly").value_or(false))
        return ActivationPolicy::prohibited;
    if (list && list->boolean("LSUIElement").value_or(false))
        return ActivationPolicy::accessory;
    return ActivationPolicy::regular;
}

} // namespace

ProcApplication::ProcApplication(fs::path procRoot, std::string bundle, ActivationPolicy policy, std::string program,
                                 std::string appId, QuitSession session)
    : procRoot_(std::move(procRoot)), bundle_(std::move(bundle)), policy_(policy), program_(std::move(program)),
      appId_(std::move(appId)), session_(std::move(session))
{
}

void ProcApplication::add(AppMember member)
{
    members_.push_back(std::move(member));
    const auto rank = [this](const AppMember& m) { return std::pair(m.executable != program_, m.started); };
    if (rank(members_.back()) < rank(members_[primary_]))
        primary_ = members_.size() - 1;
}

std::vector<const AppMember*> ProcApplication::quitTargets() const
{
    std::vector<const AppMember*> targets;
    for (const std::size_t member : QuitPlan::of(members_, program_).targets)
        targets.push_back(&members_[member]);
    return targets;
}

void ProcApplication::terminate()
{
    request_ = std::make_unique<QuitRequest>(procRoot_, members_, QuitPlan::of(members_, program_), appId_, session_);
}

void ProcApplication::forceTerminate()
{
    request_.reset();
    for (const auto& member : members_)
        signal(procRoot_, member, SIGKILL);
}

bool ProcApplication::isTerminated() const
{
    if (request_)
        return request_->followUp();
    return std::all_of(members_.begin(), members_.end(),
                       [this](const AppMember& member) { return hasEnded(procRoot_, member); });
}

std::vector<Workspace::Application> list(const fs::path& procRoot, const DesktopAppIndex& installed, uint32_t user,
                                         int32_t self, const QuitSession& session)
{
    std::vector<int32_t> pids;
    try {
        pids = ProcFS::listPids(procRoot);
    } catch (const fs::filesystem_error&) {
        return {};
    }

    std::map<std::string, ActivationPolicy> policies;
    std::map<std::string, std::shared_ptr<ProcApplication>> appsByRoot;
    std::vector<Workspace::Application> apps;
    for (const int32_t pid : pids) {
        if (pid == self)
            continue;
        const auto stat = ProcFS::stat(procRoot, pid);
        if (!stat || stat->hasEnded() || ProcFS::effectiveUID(procRoot, pid) != user)
            continue;
        const auto executable = ProcFS::executablePath(procRoot, pid);
        if (!executable)
            continue;
        const auto bundle = AppGrouper::outermostApp(*executable);
        const InstalledApp* app = nullptr;
        if (!bundle) {
            const auto arguments = ProcFS::arguments(procRoot, pid);
            const auto scope = AppScope::ofProcess(procRoot, pid);
            app = installed.owner({*executable, arguments, scope, stat->terminal != 0});
            if (!app)
                continue;
        }
        // What was read is this process's only if its pid still names it, it still
        // runs, and it is still the user's.
        AppMember member{pid, stat->ppid, stat->startTicks, *executable, reaps(procRoot, pid)};
        if (hasEnded(procRoot, member) || ProcFS::effectiveUID(procRoot, pid) != user)
            continue;

        if (bundle) {
            auto policy = policies.find(*bundle);
            if (policy == policies.end())
                policy = policies.emplace(*bundle, readActivationPolicy(*bundle)).first;
            auto application = std::make_shared<ProcApplication>(procRoot, *bundle, policy->second, "", "", session);
            application->add(std::move(member));
            apps.push_back(std::move(application));
            continue;
        }
        auto& application = appsByRoot[app->root];
        if (!application) {
            // A part of the session or a terminal program is not an app a person quits.
            const auto policy = app->regular ? ActivationPolicy::regular : ActivationPolicy::prohibited;
            const DesktopApp* entry = installed.byRoot(app->root);
            application = std::make_shared<ProcApplication>(procRoot, app->root, policy, app->program,
                                                            entry ? entry->entry.stem().string() : "", session);
            apps.push_back(application);
        }
        application->add(std::move(member));
    }
    return apps;
}

} // namespace corvane::RunningApps
