#include "Platform/RunningApps.hpp"

#include "Core/AppGrouper.hpp"
#include "Core/PropertyList.hpp"
#include "Core/Text.hpp"
#include "Platform/AppScope.hpp"
#include "Platform/ProcFS.hpp"
#include "Platform/ProgramKinds.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <map>
#include <memory>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <unordered_set>

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

// Programs that start the app's program, wait for it and pass no signal on: Flatpak's
// sandbox (whose end takes the sandbox down with it), LibreOffice's splash launcher,
// and a shell running an app's script that does not exec its program.
bool onlyWaits(std::string_view program)
{
    constexpr std::string_view launchers[] = {"bwrap", "oosplash"};
    return isShell(program)
           || std::find(std::begin(launchers), std::end(launchers), Text::lastPathComponent(program))
                  != std::end(launchers);
}

// A handle on whatever process has the pid now; closed when it goes.
class PidFD {
public:
    explicit PidFD(int32_t pid) : fd_(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))), error_(fd_ < 0 ? errno : 0) {}
    ~PidFD()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    PidFD(const PidFD&) = delete;
    PidFD& operator=(const PidFD&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // No process has the pid: not an open failure for want of descriptors.
    bool noSuchProcess() const { return error_ == ESRCH; }
    bool hasEnded() const
    {
        pollfd watch{fd_, POLLIN, 0};
        return ::poll(&watch, 1, 0) > 0;
    }
    void signal(int number) const { ::syscall(SYS_pidfd_send_signal, fd_, number, nullptr, 0); }

private:
    int fd_;
    int error_;
};

// Whether /proc shows the member's start time under its pid: the process is still the one listed.
bool isStill(const fs::path& procRoot, const AppMember& member)
{
    const auto stat = ProcFS::stat(procRoot, member.pid);
    return stat && stat->startTicks == member.started;
}

// False while the member runs, or cannot be told to have ended (no handle can be opened).
bool hasEnded(const fs::path& procRoot, const AppMember& member)
{
    const PidFD process(member.pid);
    if (!process.isOpen())
        return process.noSuchProcess();
    // Whoever the handle holds has ended: the listed process, or one that took its pid
    // after it ended. Else the pid is another's once /proc shows another start time.
    if (process.hasEnded())
        return true;
    const auto stat = ProcFS::stat(procRoot, member.pid);
    return stat && stat->startTicks != member.started;
}

} // namespace

ProcApplication::ProcApplication(fs::path procRoot, std::string bundle, ActivationPolicy policy, std::string program)
    : procRoot_(std::move(procRoot)), bundle_(std::move(bundle)), policy_(policy), program_(std::move(program))
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
    std::unordered_set<int32_t> pids;
    for (const auto& member : members_)
        pids.insert(member.pid);
    // The process a launcher waits for is the one it started last, once its setup was done.
    const auto lastStartedChild = [&](const AppMember& parent) {
        const AppMember* last = nullptr;
        for (const auto& member : members_) {
            if (member.ppid == parent.pid && member.pid != parent.pid
                && (!last || std::pair(member.started, member.pid) > std::pair(last->started, last->pid)))
                last = &member;
        }
        return last;
    };
    std::vector<const AppMember*> targets;
    const AppMember* firstCopy = nullptr;
    const AppMember* firstTarget = nullptr;  // what the earliest started copy waits for
    for (const auto& member : members_) {
        if (pids.contains(member.ppid))
            continue;
        const AppMember* target = &member;
        // Bounded by the members, as a parent's pid read from /proc is no proof of a tree.
        for (std::size_t depth = 0; depth < members_.size() && onlyWaits(target->executable); ++depth) {
            const AppMember* child = lastStartedChild(*target);
            if (!child)
                break;
            target = child;
        }
        targets.push_back(target);
        if (!firstCopy || std::pair(member.started, member.pid) < std::pair(firstCopy->started, firstCopy->pid)) {
            firstCopy = &member;
            firstTarget = target;
        }
    }
    if (targets.empty())
        return targets;
    // The copies run the app's program. Another program among them is a helper the app
    // started detached (a crash handler, a sandbox's D-Bus proxy, both double-forked
    // away from it), which ends when the app does.
    const auto runsProgram = [this](const AppMember* target) { return target->executable == program_; };
    const auto found = std::find_if(targets.begin(), targets.end(), runsProgram);
    const std::string& program = found != targets.end() ? program_ : firstTarget->executable;
    std::erase_if(targets, [&](const AppMember* target) { return target->executable != program; });
    return targets;
}

void ProcApplication::terminate()
{
    for (const AppMember* member : quitTargets())
        signal(*member, SIGTERM);
}

void ProcApplication::forceTerminate()
{
    for (const auto& member : members_)
        signal(member, SIGKILL);
}

bool ProcApplication::isTerminated() const
{
    return std::all_of(members_.begin(), members_.end(),
                       [this](const AppMember& member) { return hasEnded(procRoot_, member); });
}

void ProcApplication::signal(const AppMember& member, int number) const
{
    // The handle first, then the check: a start time that still matches once the
    // handle is open proves the handle holds the listed process.
    const PidFD process(member.pid);
    if (process.isOpen() && isStill(procRoot_, member))
        process.signal(number);
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
        AppMember member{pid, stat->ppid, stat->startTicks, *executable};
        if (hasEnded(procRoot, member) || ProcFS::effectiveUID(procRoot, pid) != user)
            continue;

        if (bundle) {
            auto policy = policies.find(*bundle);
            if (policy == policies.end())
                policy = policies.emplace(*bundle, readActivationPolicy(*bundle)).first;
            auto application = std::make_shared<ProcApplication>(procRoot, *bundle, policy->second);
            application->add(std::move(member));
            apps.push_back(std::move(application));
            continue;
        }
        auto& application = appsByRoot[app->root];
        if (!application) {
            // A part of the session or a terminal program is not an app a person quits.
            const auto policy = app->regular ? ActivationPolicy::regular : ActivationPolicy::prohibited;
            application = std::make_shared<ProcApplication>(procRoot, app->root, policy, app->program);
            apps.push_back(application);
        }
        application->add(std::move(member));
    }
    return apps;
}

} // namespace corvane::RunningApps
