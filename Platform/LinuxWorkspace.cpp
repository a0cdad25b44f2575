#include "Platform/LinuxWorkspace.hpp"

#include "Core/AppGrouper.hpp"
#include "Core/Files.hpp"
#include "Core/PropertyList.hpp"
#include "Core/Text.hpp"
#include "Platform/AppDataFolder.hpp"
#include "Platform/ProcFS.hpp"

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

class ProcApplication final : public RunningApplication {
public:
    ProcApplication(int32_t pid, std::unique_ptr<PidFD> pidfd, std::string bundle, std::string executable,
                    ActivationPolicy policy)
        : pid_(pid), pidfd_(std::move(pidfd)), bundle_(std::move(bundle)), executable_(std::move(executable)),
          policy_(policy)
    {
    }

    std::optional<std::string> bundleURL() const override { return bundle_; }
    std::optional<std::string> executableURL() const override { return executable_; }
    ActivationPolicy activationPolicy() const override { return policy_; }

    // Without a pidfd nothing is signalled: the pid alone may name another process by now.
    void terminate() override
    {
        if (pidfd_)
            pidfd_->signal(SIGTERM);
    }
    void forceTerminate() override
    {
        if (pidfd_)
            pidfd_->signal(SIGKILL);
    }
    bool isTerminated() const override
    {
        if (pidfd_)
            return pidfd_->hasEnded();
        return ::kill(pid_, 0) != 0 && errno == ESRCH;
    }

private:
    int32_t pid_;
    std::unique_ptr<PidFD> pidfd_;
    std::string bundle_;
    std::string executable_;
    ActivationPolicy policy_;
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

} // namespace

LinuxWorkspace::LinuxWorkspace() : LinuxWorkspace("/proc", xdgApplicationFolders(), Shell::run) {}

LinuxWorkspace::LinuxWorkspace(fs::path procRoot, std::vector<fs::path> applicationFolders, CommandRunner run,
                               SettingsPanels::Session session)
    : procRoot_(std::move(procRoot)), applicationFolders_(std::move(applicationFolders)), run_(std::move(run)),
      session_(std::move(session))
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

    std::map<std::string, ActivationPolicy> policies;
    std::vector<Application> apps;
    for (const int32_t pid : pids) {
        const auto executable = mine(pid);
        const auto bundle = executable ? AppGrouper::outermostApp(*executable) : std::nullopt;
        if (!bundle)
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

        auto policy = policies.find(*bundle);
        if (policy == policies.end())
            policy = policies.emplace(*bundle, readActivationPolicy(*bundle)).first;
        apps.push_back(std::make_shared<ProcApplication>(pid, std::move(pidfd), *bundle, *executable, policy->second));
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

std::optional<std::string> LinuxWorkspace::urlForApplication(std::string_view bundleIdentifier)
{
    // A desktop entry's name never holds a "/": anything else could step out of the folder.
    if (bundleIdentifier.empty() || bundleIdentifier.find('/') != std::string_view::npos)
        return std::nullopt;
    const std::string name = std::string(bundleIdentifier) + ".desktop";
    for (const auto& folder : applicationFolders_) {
        std::error_code error;
        if (fs::is_regular_file(folder / name, error))
            return (folder / name).string();
    }
    return std::nullopt;
}

void LinuxWorkspace::openApplication(const std::string& url)
{
    runDetached(run_, [url](const CommandRunner& run) {
        try {
            run("/usr/bin/gio", {"launch", url});
        } catch (const std::system_error&) {
            run("/usr/bin/gtk-launch", {Text::lastPathComponent(url)});
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
