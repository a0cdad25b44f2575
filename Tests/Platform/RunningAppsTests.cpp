#include "Platform/RunningApps.hpp"

#include "Core/AppGrouper.hpp"
#include "Core/CPUMeter.hpp"
#include "Core/Numbers.hpp"
#include "Platform/LinuxWorkspace.hpp"
#include "Platform/ProcProcessSource.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace corvane;

namespace {

// A real process to signal; killed and reaped when the test ends.
struct Child {
    pid_t pid = 0;
    bool reaped = false;
    Child()
    {
        char* argv[] = {const_cast<char*>("/bin/sleep"), const_cast<char*>("600"), nullptr};
        if (::posix_spawn(&pid, "/bin/sleep", nullptr, nullptr, argv, environ) != 0)
            throw std::runtime_error("cannot start a child");
    }
    ~Child()
    {
        if (!reaped)
            ::kill(pid, SIGKILL), reap();
    }
    int reap()  // the signal that ended it
    {
        int status = 0;
        ::waitpid(pid, &status, 0);
        reaped = true;
        return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
};

class RunningApps : public ::testing::Test {
protected:
    test::FakeTree proc, apps;
    LinuxWorkspace workspace{proc.path(), {apps.path("entries")}, Shell::run};

    // Shows the child in the fake /proc as a process of `uid` running `exe`, started
    // `started` ticks after boot.
    void describe(const Child& child, const std::string& exe, uint32_t uid = ::getuid(), uint64_t started = 0,
                  const std::string& unit = "session-2.scope")
    {
        describe(child.pid, exe, uid, started, unit);
    }
    void describe(int32_t process, const std::string& exe, uint32_t uid = ::getuid(), uint64_t started = 0,
                  const std::string& unit = "session-2.scope", const std::string& cmdline = {})
    {
        const auto id = Numbers::toText(uid), pid = Numbers::toText(process);
        std::filesystem::remove_all(proc.path(pid));
        proc.write(pid + "/status", "Uid:\t" + id + "\t" + id + "\t" + id + "\t" + id + "\n");
        proc.write(pid + "/stat", pid + " (x) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 " + Numbers::toText(started)
                                      + " 1000 10\n");
        proc.symlink(pid + "/exe", exe);
        proc.write(pid + "/cgroup", "0::/user.slice/user-1000.slice/user@1000.service/app.slice/" + unit + "\n");
        proc.write(pid + "/cmdline", (cmdline.empty() ? exe : cmdline) + '\0');
    }

    // Shows the child in the fake /proc as running the main executable of `bundle`.
    std::string show(const Child& child, const std::string& bundle, const std::string& info = "", uint32_t uid = ::getuid())
    {
        describe(child, apps.path(bundle + "/Contents/MacOS/main"), uid);
        if (!info.empty())
            apps.write(bundle + "/Contents/Info.plist", "<plist version=\"1.0\"><dict>" + info + "</dict></plist>");
        return apps.path(bundle);
    }

    // Installs an app whose program is `folder`/main and returns the program.
    std::string install(const std::string& folder, const std::string& moreKeys = "")
    {
        const auto program = apps.write(folder + "/main", "\x7f" "ELF");
        std::filesystem::permissions(program, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
        apps.write("entries/" + folder + ".desktop",
                   "[Desktop Entry]\nType=Application\nName=" + folder + "\nExec=" + program + "\n" + moreKeys);
        return program;
    }

    static bool alive(const Child& child)
    {
        siginfo_t info{};
        return ::waitid(P_PID, static_cast<id_t>(child.pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
    }
};

} // namespace

TEST_F(RunningApps, TheUsersBundledProcessesWithTheirBundleInfo)
{
    Child plain, helper, menuBar, background, loose, foreign, gone;
    const auto tool = show(plain, "Tool.app");
    show(helper, "Tool.app/Contents/Frameworks/Helper.app");
    show(menuBar, "MenuBar.app", "<key>LSUIElement</key><true/>");
    show(background, "Background.app", "<key>LSBackgroundOnly</key><true/><key>LSUIElement</key><true/>");
    show(loose, "bin");
    show(foreign, "Foreign.app", "", ::getuid() + 1);
    show(gone, "Gone.app");
    ::kill(gone.pid, SIGKILL), gone.reap();

    const auto listed = workspace.runningApplications();
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[0]->bundleURL(), tool);
    EXPECT_EQ(listed[0]->executableURL(), tool + "/Contents/MacOS/main");
    EXPECT_EQ(listed[1]->bundleURL(), tool);  // a helper belongs to the outermost bundle
    EXPECT_EQ(listed[0]->activationPolicy(), ActivationPolicy::regular);
    EXPECT_EQ(listed[2]->activationPolicy(), ActivationPolicy::accessory);
    EXPECT_EQ(listed[3]->activationPolicy(), ActivationPolicy::prohibited);

    EXPECT_TRUE(LinuxWorkspace(proc.path("missing"), {}, Shell::run).runningApplications().empty());
}

TEST_F(RunningApps, TerminateAsksForceKillsAndEndIsSeen)
{
    Child polite, forced;
    show(polite, "Polite.app");
    show(forced, "Forced.app");
    const auto listed = workspace.runningApplications();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_FALSE(listed[0]->isTerminated());

    listed[0]->terminate();
    siginfo_t info{};
    ::waitid(P_PID, static_cast<id_t>(polite.pid), &info, WEXITED | WNOWAIT);
    EXPECT_TRUE(listed[0]->isTerminated());  // ended, not yet reaped
    EXPECT_EQ(polite.reap(), SIGTERM);
    listed[1]->forceTerminate();
    EXPECT_EQ(forced.reap(), SIGKILL);
    EXPECT_TRUE(listed[1]->isTerminated());
}

TEST_F(RunningApps, ABundleInfoLargerThanMemoryIsPassedOver)
{
    // Anyone may make the bundle a program runs from; this Info.plist claims 64 GiB.
    Child huge;
    const auto bundle = show(huge, "Huge.app", "<key>LSUIElement</key><true/>");
    std::filesystem::resize_file(bundle + "/Contents/Info.plist", std::uintmax_t{64} << 30);
    const auto listed = workspace.runningApplications();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0]->activationPolicy(), ActivationPolicy::regular);
}

TEST_F(RunningApps, AnInstalledAppIsOneApplicationOfAllTheUsersProcessesInItsFolder)
{
    const auto program = install("editor");
    // Listed in pid order; the main process started first though it was listed last.
    Child helper, spare, main, foreign, outside, session;
    describe(helper, apps.path("editor/helper"), ::getuid(), 100);
    describe(spare, program, ::getuid(), 400);
    describe(main, program, ::getuid(), 200);
    describe(foreign, program, ::getuid() + 1, 50);
    describe(outside, "/usr/bin/sleep");
    describe(session, install("panel", "NoDisplay=true\n"));

    const auto listed = workspace.runningApplications();
    ASSERT_EQ(listed.size(), 2u);
    const auto& editor = listed[0];
    EXPECT_EQ(editor->bundleURL(), apps.path("editor"));
    EXPECT_EQ(editor->executableURL(), program);  // the earliest of the user's processes running the program
    EXPECT_EQ(editor->activationPolicy(), ActivationPolicy::regular);
    // An app the desktop keeps out of its list is part of the session, never the user's to quit.
    EXPECT_EQ(listed[1]->activationPolicy(), ActivationPolicy::prohibited);

    // The grouping of the same processes names the same app, which is how quitting finds it.
    const auto own = ProcProcessSource(proc.path(), {100, 4096}).sample();
    auto places = DesktopApps::session();
    places.applicationFolders = {apps.path("entries")};
    const auto installed = DesktopApps(places).current();
    const auto groups = AppGrouper::group(CPUMeter::usage(std::nullopt, own, [](int32_t) { return std::nullopt; }),
                                          ::getuid(), installed.get());
    const auto group = std::find_if(groups.begin(), groups.end(), [](const auto& g) { return g.appPath.has_value(); });
    ASSERT_NE(group, groups.end());
    EXPECT_EQ(group->appPath, editor->bundleURL());

    // Quitting asks the primary process alone; forcing ends every one; the app has
    // ended once all of them have.
    editor->terminate();
    EXPECT_EQ(main.reap(), SIGTERM);
    EXPECT_TRUE(alive(helper));
    EXPECT_TRUE(alive(spare));
    EXPECT_FALSE(editor->isTerminated());
    editor->forceTerminate();
    EXPECT_EQ(helper.reap(), SIGKILL);
    EXPECT_EQ(spare.reap(), SIGKILL);
    EXPECT_TRUE(editor->isTerminated());
    EXPECT_TRUE(alive(foreign));
    EXPECT_TRUE(alive(outside));
}

TEST_F(RunningApps, AProcessThatTookAListedPidIsNeverSignalled)
{
    const auto program = install("player");
    Child first;
    describe(first, program);
    const auto listed = workspace.runningApplications();
    ASSERT_EQ(listed.size(), 1u);

    // The listed process ends; a new one now runs the app's program under the pid
    // the listing read, as far as /proc can tell.
    ::kill(first.pid, SIGKILL), first.reap();
    Child next;
    std::filesystem::rename(proc.path(Numbers::toText(first.pid)), proc.path("old"));
    describe(next, program);
    EXPECT_TRUE(listed[0]->isTerminated());
    listed[0]->terminate();
    listed[0]->forceTerminate();
    EXPECT_TRUE(alive(next));
    EXPECT_EQ(workspace.runningApplications().size(), 1u);  // a new listing sees the new process
}

// Started from inside an app (a terminal's session), Corvane is among its processes as
// far as /proc tells; it never lists, and so never signals, itself.
TEST_F(RunningApps, CorvaneIsNeverAMemberOfAnApp)
{
    describe(::getpid(), install("terminal"));
    EXPECT_TRUE(workspace.runningApplications().empty());
}

// Everything typed into a terminal runs in the terminal's unit; quitting the terminal
// reaches its own process alone, and what was typed is an app of its own or none.
TEST_F(RunningApps, ForceQuittingATerminalLeavesWhatWasStartedFromItAlive)
{
    const auto konsole = install("konsole", "Categories=Qt;KDE;System;TerminalEmulator;\n");
    const auto firefox = install("firefox");
    const std::string unit = "app-konsole-8a1f7c2e93b44f0d9e6a5b1c2d3e4f50.scope";
    Child terminal, shell, typed, job;
    describe(terminal, konsole, ::getuid(), 10, unit);
    describe(shell, "/usr/bin/bash", ::getuid(), 20, unit);
    describe(typed, firefox, ::getuid(), 30, unit);
    describe(job, "/usr/bin/sleep", ::getuid(), 40, unit);

    const auto listed = workspace.runningApplications();
    ASSERT_EQ(listed.size(), 2u);
    const auto byRoot = [&](const std::string& root) {
        const auto found = std::find_if(listed.begin(), listed.end(), [&](const auto& app) { return app->bundleURL() == root; });
        return found == listed.end() ? nullptr : *found;
    };
    const auto konsoleApp = byRoot(apps.path("konsole"));
    const auto firefoxApp = byRoot(apps.path("firefox"));
    ASSERT_TRUE(konsoleApp && firefoxApp);

    konsoleApp->forceTerminate();
    EXPECT_EQ(terminal.reap(), SIGKILL);
    EXPECT_TRUE(konsoleApp->isTerminated());
    EXPECT_TRUE(alive(shell));
    EXPECT_TRUE(alive(typed));
    EXPECT_TRUE(alive(job));
    firefoxApp->forceTerminate();
    EXPECT_EQ(typed.reap(), SIGKILL);
    EXPECT_TRUE(alive(shell));
    EXPECT_TRUE(alive(job));
}

namespace {

// A cgroup of the unified hierarchy made for one test, removed with it; unusable
// unless the test runs as root on a machine whose cgroup2 hierarchy it may write.
class TestCgroup {
public:
    explicit TestCgroup(const std::string& unit)
    {
        if (::geteuid() != 0)
            return;
        std::ifstream mounts("/proc/self/mounts");
        std::string device, point, type;
        std::string rest;
        while (mounts >> device >> point >> type && std::getline(mounts, rest)) {
            if (type == "cgroup2") {
                base_ = std::filesystem::path(point) / ("corvane-test-" + Numbers::toText(::getpid()));
                break;
            }
        }
        std::error_code error;
        if (base_.empty() || !std::filesystem::create_directories(base_ / unit, error))
            base_.clear();
        else
            scope_ = base_ / unit;
    }
    ~TestCgroup()
    {
        std::error_code error;
        if (!scope_.empty())
            std::filesystem::remove(scope_, error);
        if (!base_.empty())
            std::filesystem::remove(base_, error);
    }
    bool usable() const { return !scope_.empty(); }
    bool add(pid_t pid) const
    {
        std::ofstream procs(scope_ / "cgroup.procs");
        procs << pid << std::flush;
        return procs.good();
    }

private:
    std::filesystem::path base_, scope_;
};

// A copy of a real program under another name, so a real process runs "it".
std::string copyOfSleep(const test::FakeTree& tree, const std::string& relative)
{
    const auto path = tree.path(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::filesystem::copy_file("/usr/bin/sleep", path);
    return path;
}

struct Spawned {
    pid_t pid = 0;
    explicit Spawned(const std::string& program, const char* first = "600")
    {
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(first), nullptr};
        if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
            throw std::runtime_error("cannot start " + program);
    }
    ~Spawned() { ::kill(pid, SIGKILL), ::waitpid(pid, nullptr, 0); }
};

} // namespace

// The same, with real processes in a real app scope read from the real /proc.
TEST(RunningAppsInAScope, ForceQuittingATerminalEndsItsProcessAlone)
{
    TestCgroup scope("app-org.kde.konsole-8a1f7c2e93b44f0d9e6a5b1c2d3e4f50.scope");
    if (!scope.usable())
        GTEST_SKIP() << "needs root and a writable cgroup2 hierarchy";
    test::FakeTree apps;
    const auto konsole = copyOfSleep(apps, "konsole/konsole");
    const auto firefox = copyOfSleep(apps, "firefox-esr/firefox-esr");
    apps.write("entries/org.kde.konsole.desktop",
               "[Desktop Entry]\nType=Application\nName=Konsole\nCategories=System;TerminalEmulator;\nExec=" + konsole + "\n");
    apps.write("entries/firefox-esr.desktop", "[Desktop Entry]\nType=Application\nName=Firefox ESR\nExec=" + firefox + " %u\n");
    Spawned terminal(konsole), typed(firefox), job("/usr/bin/sleep");
    for (const pid_t pid : {terminal.pid, typed.pid, job.pid})
        ASSERT_TRUE(scope.add(pid));

    const auto listed = LinuxWorkspace("/proc", {apps.path("entries")}, Shell::run).runningApplications();
    ASSERT_EQ(listed.size(), 2u);
    const auto terminalApp = listed[0]->bundleURL() == apps.path("konsole") ? listed[0] : listed[1];
    terminalApp->forceTerminate();
    int status = 0;
    ::waitpid(terminal.pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(::waitpid(typed.pid, &status, WNOHANG), 0);
    EXPECT_EQ(::waitpid(job.pid, &status, WNOHANG), 0);
}
