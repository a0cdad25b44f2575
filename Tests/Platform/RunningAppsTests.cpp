#include "Platform/RunningApps.hpp"

#include "Core/AppGrouper.hpp"
#include "Core/CPUMeter.hpp"
#include "Core/FixRunner.hpp"
#include "Core/Numbers.hpp"
#include "Platform/LinuxWorkspace.hpp"
#include "Platform/ProcProcessSource.hpp"
#include "Tests/Support/FakeTree.hpp"
#include "Tests/Support/ProcessTree.hpp"

#include <gtest/gtest.h>

#include <array>
#include <concepts>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace corvane;

namespace {

// A real process to signal; killed and reaped when the test ends, unless reaped before.
struct Child {
    pid_t pid = 0;
    bool reaped = false;

    explicit Child(const std::string& program = "/bin/sleep")
    {
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("600"), nullptr};
        if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
            throw std::runtime_error("cannot start " + program);
    }
    // A forked copy of this test that runs `body` and exits with what it returns.
    template <std::invocable Body>
    explicit Child(Body body)
    {
        pid = ::fork();
        if (pid < 0)
            throw std::runtime_error("cannot fork");
        if (pid == 0)
            ::_exit(body());
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child()
    {
        if (!reaped)
            ::kill(pid, SIGKILL), reap();
    }
    // The signal that ended it, or its exit status as a negative number.
    int reap()
    {
        int status = 0;
        ::waitpid(pid, &status, 0);
        reaped = true;
        return WIFSIGNALED(status) ? WTERMSIG(status) : -WEXITSTATUS(status);
    }
    // Whether it ends within a generous limit; a fault shows as a failure, not a hang.
    bool ends() const { return test::ends(pid); }
    // The signal that ended it, reaped, or 0 when it did not end.
    int endedBy() { return ends() ? reap() : 0; }
};

bool alive(const Child& child)
{
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(child.pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

// How a test's fake /proc shows one process.
struct Seen {
    std::string exe;
    uint64_t started = 0;  // clock ticks after boot
    int32_t ppid = 1;
    uint32_t uid = ::getuid();
    std::string unit = "session-2.scope";
    std::string cmdline{};  // the exe when empty
    int32_t terminal = 0;   // the controlling terminal's device number
};

class RunningAppsTest : public ::testing::Test {
protected:
    test::FakeTree proc, apps;
    LinuxWorkspace workspace{proc.path(), {apps.path("entries")}, Shell::run};

    // Shows a real process in the fake /proc as `seen` says.
    void describe(int32_t process, const Seen& seen)
    {
        const auto id = Numbers::toText(seen.uid), pid = Numbers::toText(process);
        std::filesystem::remove_all(proc.path(pid));
        proc.write(pid + "/status", "Uid:\t" + id + "\t" + id + "\t" + id + "\t" + id + "\n");
        proc.write(pid + "/stat", pid + " (x) S " + Numbers::toText(seen.ppid) + " 1 1 " + Numbers::toText(seen.terminal)
                                      + " -1 0 0 0 0 0 0 0 0 0 20 0 1 0 "
                                      + Numbers::toText(seen.started) + " 1000 10\n");
        proc.symlink(pid + "/exe", seen.exe);
        proc.write(pid + "/cgroup", "0::/user.slice/user-1000.slice/user@1000.service/app.slice/" + seen.unit + "\n");
        proc.write(pid + "/cmdline", (seen.cmdline.empty() ? seen.exe : seen.cmdline) + '\0');
    }
    void describe(const Child& child, const Seen& seen) { describe(child.pid, seen); }

    // Shows the child in the fake /proc as running the main executable of `bundle`.
    std::string show(const Child& child, const std::string& bundle, const std::string& info = "", uint32_t uid = ::getuid())
    {
        describe(child, {.exe = apps.path(bundle + "/Contents/MacOS/main"), .uid = uid});
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

    Workspace::Application byRoot(const std::vector<Workspace::Application>& listed, const std::string& folder) const
    {
        const auto found = std::find_if(listed.begin(), listed.end(),
                                        [&](const auto& app) { return app->bundleURL() == apps.path(folder); });
        return found == listed.end() ? nullptr : *found;
    }
};

} // namespace

TEST_F(RunningAppsTest, TheUsersBundledProcessesWithTheirBundleInfo)
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

TEST_F(RunningAppsTest, TerminateAsksForceKillsAndEndIsSeen)
{
    Child polite, forced;
    show(polite, "Polite.app");
    show(forced, "Forced.app");
    const auto listed = workspace.runningApplications();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_FALSE(listed[0]->isTerminated());

    listed[0]->terminate();
    ASSERT_TRUE(polite.ends());
    EXPECT_TRUE(listed[0]->isTerminated());  // ended, not yet reaped
    EXPECT_EQ(polite.reap(), SIGTERM);
    listed[1]->forceTerminate();
    EXPECT_EQ(forced.endedBy(), SIGKILL);
    EXPECT_TRUE(listed[1]->isTerminated());
}

TEST_F(RunningAppsTest, ABundleInfoLargerThanMemoryIsPassedOver)
{
    // Anyone may make the bundle a program runs from; this Info.plist claims 64 GiB.
    Child huge;
    const auto bundle = show(huge, "Huge.app", "<key>LSUIElement</key><true/>");
    std::filesystem::resize_file(bundle + "/Contents/Info.plist", std::uintmax_t{64} << 30);
    const auto listed = workspace.runningApplications();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0]->activationPolicy(), ActivationPolicy::regular);
}

TEST_F(RunningAppsTest, AnInstalledAppIsOneApplicationOfAllTheUsersProcessesInItsFolder)
{
    const auto program = install("editor");
    // Listed in pid order; the main process started first though it was listed last.
    Child helper, spare, main, foreign, outside, session;
    describe(helper, {.exe = apps.path("editor/helper"), .started = 100});
    describe(spare, {.exe = program, .started = 400});
    describe(main, {.exe = program, .started = 200});
    describe(foreign, {.exe = program, .started = 50, .uid = ::getuid() + 1});
    describe(outside, {.exe = "/usr/bin/sleep"});
    describe(session, {.exe = install("panel", "NoDisplay=true\n")});

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

    // Forcing ends every process; another user's copy and what is no app's live on.
    editor->forceTerminate();
    for (Child* member : {&helper, &spare, &main})
        EXPECT_EQ(member->endedBy(), SIGKILL);
    EXPECT_TRUE(editor->isTerminated());
    EXPECT_TRUE(alive(foreign));
    EXPECT_TRUE(alive(outside));
    EXPECT_TRUE(alive(session));
}

// A one-process-per-window app: one Quit asks each window's process, and reports the
// app done once they have gone, with no offer to force it.
TEST_F(RunningAppsTest, OneQuitAsksEveryCopyStartedApart)
{
    const auto program = install("viewer");
    Child first, second;
    describe(first, {.exe = program, .started = 100});
    describe(second, {.exe = program, .started = 900});

    // The runner's pause waits for the copies to end, bounded, instead of for time.
    struct ExitClock : ContinuousClock {
        std::vector<const Child*> copies;
        Duration time{};
        Duration now() override { return time; }
        void sleep(Duration duration) override
        {
            time += duration;
            for (const Child* copy : copies)
                copy->ends();
        }
    };
    const auto clock = std::make_shared<ExitClock>();
    clock->copies = {&first, &second};
    const auto live = std::make_shared<LinuxWorkspace>(proc.path(), std::vector{std::filesystem::path(apps.path("entries"))},
                                                       Shell::run);
    FixRunner runner(::getuid(), live, clock, Shell::run);
    ProcessGroup group;
    group.displayName = "viewer";
    group.appPath = apps.path("viewer");
    group.members.resize(1);
    group.members[0].pid = first.pid;
    group.members[0].uid = ::getuid();
    EXPECT_EQ(runner.quit(group, false, std::chrono::milliseconds(250)), FixOutcome::done());
    EXPECT_EQ(first.endedBy(), SIGTERM);
    EXPECT_EQ(second.endedBy(), SIGTERM);
}

// What an app's process started and ends itself (a browser's tab processes) hears
// nothing from a Quit: the app ends it as it quits.
TEST_F(RunningAppsTest, AQuitLeavesWhatTheAppEndsItselfToTheApp)
{
    const auto program = install("browser");
    // The helper says, by its exit status, whether a quit reached it before its parent
    // ended it (with SIGUSR2); the parent passes that status on as its own, and tells
    // the test its helper's pid through a pipe.
    std::array<int, 2> pipe{};
    ASSERT_EQ(::pipe(pipe.data()), 0);
    Child browser([&pipe] {
        sigset_t both;
        sigemptyset(&both);
        sigaddset(&both, SIGTERM);
        sigaddset(&both, SIGUSR2);
        ::sigprocmask(SIG_BLOCK, &both, nullptr);
        const pid_t helper = ::fork();
        if (helper == 0) {
            int number = 0;
            ::sigwait(&both, &number);
            sigset_t pending;
            ::sigpending(&pending);
            ::_exit(number == SIGTERM || sigismember(&pending, SIGTERM) ? 1 : 0);
        }
        if (::write(pipe[1], &helper, sizeof helper) != sizeof helper)
            return 3;
        int number = 0;
        ::sigwait(&both, &number);
        ::kill(helper, SIGUSR2);
        int status = 0;
        ::waitpid(helper, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
    });
    ::close(pipe[1]);
    pid_t helper = 0;
    const bool told = ::read(pipe[0], &helper, sizeof helper) == sizeof helper;
    ::close(pipe[0]);
    ASSERT_TRUE(told);
    describe(browser, {.exe = program, .started = 100});
    describe(helper, {.exe = program, .started = 101, .ppid = browser.pid});

    const auto listed = workspace.runningApplications();
    ASSERT_EQ(listed.size(), 1u);
    listed[0]->terminate();
    EXPECT_EQ(browser.endedBy(), 0);  // its helper heard only from it
}

// A process that took a listed pid (the listed one ended) shows another start time
// under it, and is never signalled for what the listed one was.
TEST_F(RunningAppsTest, AProcessThatTookAListedPidIsNeverSignalled)
{
    const auto program = install("player");
    Child process;
    describe(process, {.exe = program, .started = 100});
    const auto listed = workspace.runningApplications();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_FALSE(listed[0]->isTerminated());

    describe(process, {.exe = program, .started = 7000});
    EXPECT_TRUE(listed[0]->isTerminated());
    listed[0]->terminate();
    listed[0]->forceTerminate();
    EXPECT_TRUE(alive(process));
    const auto again = workspace.runningApplications();  // a new listing sees the new process
    ASSERT_EQ(again.size(), 1u);
    again[0]->forceTerminate();
    EXPECT_EQ(process.endedBy(), SIGKILL);
}

// Nothing is held between the listing and the action, so neither a low descriptor
// limit nor the processes of other apps keep a member from being reached.
TEST_F(RunningAppsTest, EveryMemberIsReachedAtAnyDescriptorLimit)
{
    const auto program = install("chat"), other = install("browser");
    std::vector<std::unique_ptr<Child>> chat, browser;
    for (int i = 0; i < 150; ++i) {
        browser.push_back(std::make_unique<Child>());
        describe(*browser.back(), {.exe = other, .started = 10});
    }
    for (int i = 0; i < 70; ++i) {
        chat.push_back(std::make_unique<Child>());
        describe(*chat.back(), {.exe = program, .started = 20, .ppid = i == 0 ? 1 : chat.front()->pid});
    }

    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    rlimit low = saved;
    low.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    const auto listed = workspace.runningApplications();
    const auto app = byRoot(listed, "chat");
    if (app)
        app->forceTerminate();
    ::setrlimit(RLIMIT_NOFILE, &saved);

    ASSERT_TRUE(app);
    for (const auto& member : chat)
        EXPECT_EQ(member->endedBy(), SIGKILL);
    EXPECT_TRUE(app->isTerminated());
    for (const auto& member : browser)
        EXPECT_TRUE(alive(*member));
}

// Started from inside an app (a terminal's session), Corvane is among its processes as
// far as /proc tells; it never lists, and so never signals, itself.
TEST_F(RunningAppsTest, CorvaneIsNeverAMemberOfAnApp)
{
    describe(::getpid(), {.exe = install("terminal")});
    EXPECT_TRUE(workspace.runningApplications().empty());
}

// Everything typed into a terminal runs in the terminal's unit; quitting the terminal
// reaches its own process alone, and what was typed is an app of its own or none.
TEST_F(RunningAppsTest, ForceQuittingATerminalLeavesWhatWasStartedFromItAlive)
{
    const auto konsole = install("konsole", "Categories=Qt;KDE;System;TerminalEmulator;\n");
    const auto firefox = install("firefox");
    const std::string unit = "app-konsole-8a1f7c2e93b44f0d9e6a5b1c2d3e4f50.scope";
    Child terminal, shell, typed, job;
    describe(terminal, {.exe = konsole, .started = 10, .unit = unit});
    describe(shell, {.exe = "/usr/bin/bash", .started = 20, .ppid = terminal.pid, .unit = unit});
    describe(typed, {.exe = firefox, .started = 30, .ppid = shell.pid, .unit = unit});
    describe(job, {.exe = "/usr/bin/sleep", .started = 40, .ppid = shell.pid, .unit = unit});

    const auto listed = workspace.runningApplications();
    ASSERT_EQ(listed.size(), 2u);
    const auto konsoleApp = byRoot(listed, "konsole");
    const auto firefoxApp = byRoot(listed, "firefox");
    ASSERT_TRUE(konsoleApp && firefoxApp);

    konsoleApp->forceTerminate();
    EXPECT_EQ(terminal.endedBy(), SIGKILL);
    EXPECT_TRUE(konsoleApp->isTerminated());
    EXPECT_TRUE(alive(shell));
    EXPECT_TRUE(alive(typed));
    EXPECT_TRUE(alive(job));
    firefoxApp->forceTerminate();
    EXPECT_EQ(typed.endedBy(), SIGKILL);
    EXPECT_TRUE(alive(shell));
    EXPECT_TRUE(alive(job));
}

// An app started through a script is told by its unit, but not what a person typed at
// a prompt in its built-in terminal, which runs in the same unit.
TEST_F(RunningAppsTest, WhatWasStartedAtAPromptInAnAppsUnitIsNotTheApps)
{
    const auto launcher = apps.write("ide/ide.sh", "#!/bin/sh\n");
    std::filesystem::permissions(launcher, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    apps.write("entries/ide.desktop", "[Desktop Entry]\nType=Application\nName=IDE\nExec=" + launcher + "\n");
    const std::string unit = "app-gnome-ide-4242.scope";
    Child jvm, server;
    describe(jvm, {.exe = "/usr/lib/jvm/bin/java", .unit = unit});
    describe(server, {.exe = "/usr/bin/node", .ppid = jvm.pid, .unit = unit, .terminal = 34817});

    const auto listed = workspace.runningApplications();
    ASSERT_EQ(listed.size(), 1u);
    listed[0]->forceTerminate();
    EXPECT_EQ(jvm.endedBy(), SIGKILL);
    EXPECT_TRUE(alive(server));
}

namespace {

// A cgroup of the unified hierarchy made for one test; unusable unless the test runs
// as root on a machine whose cgroup2 hierarchy it may write. Declared before the
// processes put in it, so they are ended and reaped first and the folders it made go
// with it, whatever the test's assertions said.
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
                const auto base = std::filesystem::path(point) / ("corvane-test-" + Numbers::toText(::getpid()));
                for (const auto& folder : {base, base / unit}) {
                    std::error_code error;
                    if (!std::filesystem::create_directory(folder, error))
                        return;
                    made_.push_back(folder);
                }
                return;
            }
        }
    }
    ~TestCgroup()
    {
        for (auto folder = made_.rbegin(); folder != made_.rend(); ++folder) {
            std::error_code error;
            std::filesystem::remove(*folder, error);
        }
    }
    bool usable() const { return made_.size() == 2; }
    bool add(pid_t pid) const
    {
        std::ofstream procs(made_.back() / "cgroup.procs");
        procs << pid << std::flush;
        return procs.good();
    }

private:
    std::vector<std::filesystem::path> made_;  // outermost first
};

// A copy of a real program under another name, so a real process runs "it".
std::string copyOfSleep(const test::FakeTree& tree, const std::string& relative)
{
    const auto path = tree.path(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::filesystem::copy_file("/usr/bin/sleep", path);
    return path;
}

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
    Child terminal(konsole), typed(firefox), job("/usr/bin/sleep");
    for (const pid_t pid : {terminal.pid, typed.pid, job.pid})
        ASSERT_TRUE(scope.add(pid));

    const auto listed = LinuxWorkspace("/proc", {apps.path("entries")}, Shell::run).runningApplications();
    ASSERT_EQ(listed.size(), 2u);
    const auto terminalApp = listed[0]->bundleURL() == apps.path("konsole") ? listed[0] : listed[1];
    terminalApp->forceTerminate();
    EXPECT_EQ(terminal.endedBy(), SIGKILL);
    EXPECT_TRUE(alive(typed));
    EXPECT_TRUE(alive(job));
}
