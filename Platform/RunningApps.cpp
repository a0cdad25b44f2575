#include "Platform/RunningApps.hpp"

#include "Core/AppGrouper.hpp"
#include "Core/PropertyList.hpp"
#include "Platform/AppScope.hpp"
#include "Platform/ProcFS.hpp"

#include <algorithm>
#include <csignal>
#include <map>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

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

PidFD::PidFD(int32_t pid) : fd_(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))), openError_(fd_ < 0 ? errno : 0)
{
}

PidFD::~PidFD()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool PidFD::hasEnded() const
{
    pollfd watch{fd_, POLLIN, 0};
    return ::poll(&watch, 1, 0) > 0;
}

void PidFD::signal(int number) const
{
    ::syscall(SYS_pidfd_send_signal, fd_, number, nullptr, 0);
}

void AppMember::signal(int number) const
{
    if (pidfd)
        pidfd->signal(number);
}

bool AppMember::hasEnded() const
{
    if (pidfd)
        return pidfd->hasEnded();
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

ProcApplication::ProcApplication(std::string bundle, ActivationPolicy policy, std::string program)
    : bundle_(std::move(bundle)), policy_(policy), program_(std::move(program))
{
}

void ProcApplication::add(AppMember member)
{
    members_.push_back(std::move(member));
    const auto rank = [this](const AppMember& m) { return std::pair(m.executable != program_, m.started); };
    if (rank(members_.back()) < rank(members_[primary_]))
        primary_ = members_.size() - 1;
}

void ProcApplication::terminate()
{
    members_[primary_].signal(SIGTERM);
}

void ProcApplication::forceTerminate()
{
    for (const auto& member : members_)
        member.signal(SIGKILL);
}

bool ProcApplication::isTerminated() const
{
    return std::all_of(members_.begin(), members_.end(), [](const AppMember& member) { return member.hasEnded(); });
}

std::vector<Workspace::Application> list(const fs::path& procRoot, const InstalledApps& installed, uint32_t user,
                                         int32_t self)
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
        if (pid == self || ProcFS::effectiveUID(procRoot, pid) != user)
            continue;
        // Hold the process first, then read it: whatever is read from here on is the
        // held process's or, once it has ended, left out below. Reading first would let
        // a pid reused in between be signalled for what another process was.
        auto pidfd = std::make_unique<PidFD>(pid);
        if (!pidfd->isOpen()) {
            if (pidfd->processWasGone())
                continue;
            pidfd.reset();
        }
        const auto executable = ProcFS::executablePath(procRoot, pid);
        if (!executable || ProcFS::effectiveUID(procRoot, pid) != user)
            continue;
        const auto bundle = AppGrouper::outermostApp(*executable);
        const InstalledApp* app = nullptr;
        if (!bundle) {
            const auto arguments = ProcFS::arguments(procRoot, pid);
            const auto scope = AppScope::ofProcess(procRoot, pid);
            app = installed.owner({*executable, arguments, scope});
            if (!app)
                continue;
        }
        AppMember member{pid, std::move(pidfd), *executable, ProcFS::startTicks(procRoot, pid).value_or(0)};
        if (member.hasEnded())
            continue;

        if (bundle) {
            auto policy = policies.find(*bundle);
            if (policy == policies.end())
                policy = policies.emplace(*bundle, readActivationPolicy(*bundle)).first;
            auto application = std::make_shared<ProcApplication>(*bundle, policy->second);
            application->add(std::move(member));
            apps.push_back(std::move(application));
            continue;
        }
        auto& application = appsByRoot[app->root];
        if (!application) {
            // A part of the session or a terminal program is not an app a person quits.
            const auto policy = app->regular ? ActivationPolicy::regular : ActivationPolicy::prohibited;
            application = std::make_shared<ProcApplication>(app->root, policy, app->program);
            apps.push_back(application);
        }
        application->add(std::move(member));
    }
    return apps;
}

} // namespace corvane::RunningApps
