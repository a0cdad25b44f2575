#include "Platform/LinuxWorkspace.hpp"

#include "Core/AppGrouper.hpp"
#include "Core/Files.hpp"
#include "Core/PropertyList.hpp"
#include "Core/Text.hpp"
#include "Platform/AppDataFolder.hpp"
#include "Platform/AppScope.hpp"
#include "Platform/BrowserProcesses.hpp"
#include "Platform/ProcFS.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <map>
#include <poll.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace corvane {
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

class PidFD {
public:
    explicit PidFD(int32_t pid) : fd_(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))), openError_(fd_ < 0 ? errno : 0) {}
    ~PidFD()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    PidFD(const PidFD&) = delete;
    PidFD& operator=(const PidFD&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // The handle could not be opened because there is no such process.
    bool processWasGone() const { return openError_ == ESRCH; }
    // True once the process has ended.
    bool hasEnded() const
    {
        pollfd watch{fd_, POLLIN, 0};
        return ::poll(&watch, 1, 0) > 0;
    }
    void signal(int number) const { ::syscall(SYS_pidfd_send_signal, fd_, number, nullptr, 0); }

private:
    int fd_;
    int openError_;
};

// One process of a running application, held through the handle opened while listing.
struct Member {
    int32_t pid = 0;
    std::unique_ptr<PidFD> pidfd;  // none where the system offers no handles
    std::string executable;
    uint64_t started = 0;  // clock ticks after boot; 0 when unknown

    // Without a handle nothing is signalled: the pid alone may name another process by now.
    void signal(int number) const
    {
        if (pidfd)
            pidfd->signal(number);
    }
    bool hasEnded() const
    {
        if (pidfd)
            return pidfd->hasEnded();
        return ::kill(pid, 0) != 0 && errno == ESRCH;
    }
};

// A bundled process, or an installed app with all its processes. Quitting asks the
// primary process to end, as the app's own quit would; forcing ends every process.
class ProcApplication final : public RunningApplication {
public:
    // `program`: the app's own, whose process is the primary one; empty for a bundled process.
    ProcApplication(std::string bundle, ActivationPolicy policy, std::string program = {})
        : bundle_(std::move(bundle)), policy_(policy), program_(std::move(program))
    {
    }

    // The primary process is the earliest started one running the app's program, else
    // the earliest started one (the earliest added on a tie).
    void add(Member member)
    {
        members_.push_back(std::move(member));
        const auto rank = [this](const Member& m) { return std::pair(m.executable != program_, m.started); };
        if (rank(members_.back()) < rank(members_[primary_]))
            primary_ = members_.size() - 1;
    }

    std::optional<std::string> bundleURL() const override { return bundle_; }
    std::optional<std::string> executableURL() const override { return members_[primary_].executable; }
    ActivationPolicy activationPolicy() const override { return policy_; }

    void terminate() override { members_[primary_].signal(SIGTERM); }
    void forceTerminate() override
    {
        for (const auto& member : members_)
            member.signal(SIGKILL);
    }
    bool isTerminated() const override
    {
        return std::all_of(members_.begin(), members_.end(), [](const Member& member) { return member.hasEnded(); });
    }

private:
    std::string bundle_;
    ActivationPolicy policy_;
    std::string program_;
    std::vector<Member> members_;
    std::size_t primary_ = 0;
};

// Runs `body` with the runner on a thread of its own and lets it go; false when no
// thread could be had.
bool runDetached(CommandRunner run, std::function<void(const CommandRunner&)> body)
{
    try {
        std::thread([run = std::move(run), body = std::move(body)] {
            try {
                body(run);
            } catch (...) {
                // What the tool then does is not reported, and a failure must not end the program.
            }
        }).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

// The session's places for finding programs, with these applications folders.
DesktopApps::Places places(std::vector<fs::path> applicationFolders)
{
    auto places = DesktopApps::session();
    places.applicationFolders = std::move(applicationFolders);
    return places;
}

} // namespace

LinuxWorkspace::LinuxWorkspace()
    : procRoot_("/proc"), apps_(DesktopApps::shared()), run_(Shell::run), session_(SettingsPanels::Session::current())
{
}

LinuxWorkspace::LinuxWorkspace(fs::path procRoot, std::vector<fs::path> applicationFolders, CommandRunner run,
                               SettingsPanels::Session session)
    : procRoot_(std::move(procRoot)), apps_(std::make_shared<DesktopApps>(places(std::move(applicationFolders)))),
      run_(std::move(run)), session_(std::move(session))
{
}

std::vector<Workspace::Application> LinuxWorkspace::runningApplications()
{
    std::vector<int32_t> pids;
    try {
        pids = ProcFS::listPids(procRoot_);
    } catch (const fs::filesystem_error&) {
        return {};
    }

    // The executable of a process of the current user, else nothing.
    const uint32_t me = ::getuid();
    const auto mine = [&](int32_t pid) -> std::optional<std::string> {
        if (ProcFS::effectiveUID(procRoot_, pid) != me)
            return std::nullopt;
        return ProcFS::executablePath(procRoot_, pid);
    };

    const auto installed = apps_->current();
    std::map<std::string, ActivationPolicy> policies;
    std::map<std::string, std::shared_ptr<ProcApplication>> appsByRoot;
    std::vector<Application> apps;
    for (const int32_t pid : pids) {
        // Run from inside an app's session (a terminal's), this program would be one of
        // its members, and forcing it to quit would end us too.
        if (pid == ::getpid())
            continue;
        const auto executable = mine(pid);
        if (!executable)
            continue;
        const auto bundle = AppGrouper::outermostApp(*executable);
        const InstalledApp* app = bundle ? nullptr : installed->owner(*executable, AppScope::ofProcess(procRoot_, pid));
        if (!bundle && !app)
            continue;

        // Open the handle, then check the pid still names the process just read and
        // that it has not ended since: from here on the handle cannot hit another one.
        auto pidfd = std::make_unique<PidFD>(pid);
        if (!pidfd->isOpen()) {
            if (pidfd->processWasGone())
                continue;
            pidfd.reset();
        } else if (mine(pid) != executable || pidfd->hasEnded()) {
            continue;
        }
        Member member{pid, std::move(pidfd), *executable, ProcFS::startTicks(procRoot_, pid).value_or(0)};

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

bool LinuxWorkspace::open(const std::string& url)
{
    // No handler here knows a System Settings link: the desktop's own page stands in.
    if (const auto pane = fromString<SettingsPane>(url)) {
        const auto page = SettingsPanels::command(*pane, session_);
        return page
            && runDetached(run_, [page = *page](const CommandRunner& run) { run(page.program, page.arguments); });
    }
    return runDetached(run_, [url](const CommandRunner& run) { run("/usr/bin/xdg-open", {url}); });
}

bool LinuxWorkspace::openPage(const std::string& url)
{
    // The tool's output stays here: without a handler it lists every browser it tried.
    try {
        return run_("/usr/bin/xdg-open", {url}).status == 0;
    } catch (const std::system_error&) {
        return false;
    }
}

std::optional<std::string> LinuxWorkspace::urlForApplication(std::string_view bundleIdentifier)
{
    std::vector<std::string> entries;
    if (const auto browser = fromString<ChromiumBrowser>(bundleIdentifier))
        entries = BrowserProcesses::desktopEntries(*browser);
    entries.emplace_back(bundleIdentifier);
    const auto installed = apps_->current();
    for (const auto& entry : entries) {
        if (const DesktopApp* app = installed->byEntry(entry))
            return app->app.root;
    }
    return std::nullopt;
}

void LinuxWorkspace::openApplication(const std::string& url)
{
    const auto installed = apps_->current();
    const DesktopApp* app = installed->byRoot(url);
    if (!app)
        return;
    runDetached(run_, [entry = app->entry.string()](const CommandRunner& run) {
        try {
            run("/usr/bin/gio", {"launch", entry});
        } catch (const std::system_error&) {
            run("/usr/bin/gtk-launch", {Text::lastPathComponent(entry)});
        }
    });
}

std::vector<fs::path> LinuxWorkspace::xdgApplicationFolders(const Environment& environment)
{
    const auto variable = [&](const char* name) {
        const char* value = environment(name);
        return std::string(value ? value : "");
    };
    std::vector<fs::path> folders;
    const auto add = [&](std::string_view base) {
        if (base.starts_with('/'))
            folders.push_back(fs::path(base) / "applications");
    };

    add(AppDataFolder::dataHome(variable("XDG_DATA_HOME"), variable("HOME")).string());

    auto dataDirs = variable("XDG_DATA_DIRS");
    if (dataDirs.empty())
        dataDirs = "/usr/local/share/:/usr/share/";
    for (const auto dir : Text::splitSkippingEmpty(dataDirs, ':'))
        add(dir);
    return folders;
}

} // namespace corvane
