// A Quit of real apps: Tk and GTK clients under a real X server and session bus, and
// real process trees, asked as the desktop's own Quit asks.
#include "Platform/ProcFS.hpp"
#include "Platform/RunningApps.hpp"
#include "Tests/Support/FakeTree.hpp"
#include "Tests/Support/PrivateSession.hpp"
#include "Tests/Support/ProcessTree.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <future>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

using namespace corvane;
using RunningApps::ProcApplication;

namespace {

// The time a quit's follow-up sees, moved by the test.
struct TestClock : ContinuousClock {
    Duration time{};
    Duration now() override { return time; }
    void sleep(Duration duration) override { time += duration; }
};

// The app whose processes are the tree's, as a listing reads them.
std::unique_ptr<ProcApplication> appOf(const test::ProcessTree& tree, const std::string& program, QuitSession session,
                                       const std::string& appId = {})
{
    auto app = std::make_unique<ProcApplication>("/proc", "/apps/test", ActivationPolicy::regular, program, appId,
                                                 std::move(session));
    for (const pid_t pid : tree.processes()) {
        const auto stat = ProcFS::stat("/proc", pid);
        const auto executable = ProcFS::executablePath("/proc", pid);
        if (stat && executable)
            app->add({pid, stat->ppid, stat->startTicks, *executable, RunningApps::reaps("/proc", pid)});
    }
    return app;
}

// The programs of the process trees: copies of one that says when it runs and when
// SIGTERM reaches it, under the names of the programs it stands for.
class Programs {
public:
    Programs()
    {
        for (const auto name : {"viewer", "tray", "adb", "ide", "updater", "crash"})
            std::filesystem::copy_file(CORVANE_TEST_IDLE, folder_.path(name));
    }
    std::vector<std::string> environment() const { return {"PATH=" + folder_.path() + ":/usr/bin:/bin"}; }
    std::string path(const std::string& name) const
    {
        if (name == "sh")
            return std::filesystem::canonical("/bin/sh");
        return name.starts_with('/') ? name : folder_.path(name);
    }

private:
    test::FakeTree folder_;
};

struct Tree {
    const char* name;
    // Shell scripts started in turn, each once its programs say they run: how many do.
    std::vector<std::pair<std::string, int>> scripts;
    std::string program;             // the app's, as its entry names it
    std::vector<std::string> asked;  // the programs that hear SIGTERM
};

// Quits the tree's app as the fix runner does with no display and no bus, polling it
// on a clock that the test moves once the asked programs have ended.
void quitReachesTheApp(const Tree& tree)
{
    SCOPED_TRACE(tree.name);
    const Programs programs;
    test::ProcessTree processes(programs.environment());
    for (const auto& [script, running] : tree.scripts) {
        processes.start({"sh", "-c", script});
        for (int i = 0; i < running; ++i)
            ASSERT_TRUE(processes.line().ends_with(" ready"));
    }
    const auto clock = std::make_shared<TestClock>();
    const auto app = appOf(processes, programs.path(tree.program), {"", "", clock});

    app->terminate();
    std::vector<std::string> said;
    for (std::size_t i = 0; i < tree.asked.size(); ++i)
        said.push_back(processes.line());
    for (const auto& member : app->members()) {
        const auto name = std::filesystem::path(member.executable).filename();
        if (std::count(tree.asked.begin(), tree.asked.end(), name)) {
            EXPECT_TRUE(test::ends(member.pid)) << name;
        }
    }
    // What waited for them goes on waiting, or ends, on its own or at the follow-up.
    app->isTerminated();
    clock->time += RunningApps::QuitRequest::lingering;
    app->isTerminated();
    for (const auto& member : app->members()) {
        const auto name = std::filesystem::path(member.executable).filename().string();
        if (name != "crash" && name != "adb" && name != "updater") {
            EXPECT_TRUE(test::ends(member.pid)) << name;
        }
    }
    EXPECT_TRUE(app->isTerminated());

    for (auto& line : processes.rest())
        said.push_back(std::move(line));
    std::multiset<std::string> heard;
    for (const auto& line : said) {
        if (line.ends_with(" term"))
            heard.insert(line.substr(0, line.size() - 5));
    }
    EXPECT_EQ(heard, std::multiset<std::string>(tree.asked.begin(), tree.asked.end()));
}

} // namespace

// Where only a signal can ask, it reaches the app itself, and what only waited for the
// app ends too, so a clean quit reads as done.
TEST(QuitTrees, TheAppIsAskedAndACleanQuitReadsAsDone)
{
    const Tree trees[] = {
        {"a launcher that starts viewer and waits for tray", {{"viewer & tray; true", 2}}, "sh", {"viewer", "tray"}},
        {"a daemon from an earlier run beside a script's app", {{"(adb &)", 1}, {"ide; true", 1}}, "sh", {"ide"}},
        {"viewer, its updater and the viewer that starts",
         {{"(viewer & exec updater) & exec viewer", 3}},
         "viewer",
         {"viewer", "viewer"}},
        {"a script going on after the app", {{"viewer; sleep 600", 1}}, "sh", {"viewer"}},
    };
    for (const auto& tree : trees)
        quitReachesTheApp(tree);
}

TEST(QuitTrees, WhatASandboxReaperAdoptedIsNotTheApp)
{
    if (std::system("unshare --pid --fork true 2>/dev/null") != 0)
        GTEST_SKIP() << "this kernel or user may not make a PID namespace (unshare --pid --fork)";
    quitReachesTheApp({"a crash handler the sandbox adopted",
                       {{"exec unshare --pid --fork sh -c 'viewer & (crash &); wait'", 2}},
                       "/usr/bin/flatpak",
                       {"viewer"}});
}

namespace {

enum class Then { endsItself, endsAtFollowUp, staysUntilForced };

struct Client {
    const char* name;
    bool windowManager;
    std::size_t windows;
    std::vector<std::string> argv;
    std::string appId;               // its entry's, where the quit may use it
    std::vector<std::string> said;   // once asked
    Then then;
    std::string ending = "exit 0";
};

} // namespace

// Asked through its windows or its quit action, an app ends through its own
// shutdown, or asks about unsaved work and stays; only a copy with no window left
// hears SIGTERM.
TEST(QuitRequest, AnAppIsAskedAsTheDesktopAsks)
{
    if (const test::PrivateSession probe(true); !probe.unavailable().empty())
        GTEST_SKIP() << probe.unavailable();
    const std::string editor = CORVANE_TEST_CLIENTS "/editor.tcl", gtk = CORVANE_TEST_CLIENTS "/gtk-app.py";
    const std::string id = "org.corvane.QuitTest";
    const Client clients[] = {
        {"two Tk editor windows, no window manager", false, 2, {"wish", editor, "2", "close"}, {}, {"closed", "closed"},
         Then::endsItself},
        {"two Tk editor windows", true, 2, {"wish", editor, "2", "close"}, {}, {"closed", "closed"}, Then::endsItself},
        {"a Tk editor with unsaved work", true, 1, {"wish", editor, "1", "ask"}, {}, {"asked"}, Then::staysUntilForced,
         "SIGKILL"},
        {"a Tk editor that hides in the tray", false, 1, {"wish", editor, "1", "hide"}, {}, {"hidden"},
         Then::endsAtFollowUp, "SIGTERM"},
        {"a GTK app", true, 1, {"/usr/bin/python3", gtk, id, "window"}, {}, {"quit"}, Then::endsItself},
        {"a GTK app without an X11 window", false, 0, {"/usr/bin/python3", gtk, id, "windowless"}, id, {"quit"},
         Then::endsItself},
        {"a windowless copy", false, 0, {CORVANE_TEST_IDLE}, {}, {"corvane_test_idle term"}, Then::endsItself},
    };
    for (const auto& client : clients) {
        SCOPED_TRACE(client.name);
        const test::PrivateSession session(client.windowManager);
        ASSERT_EQ(session.unavailable(), "");
        auto environment = session.environment();
        environment.push_back("NO_AT_BRIDGE=1");
        test::ProcessTree processes(environment);
        const pid_t pid = processes.start(client.argv);
        ASSERT_TRUE(processes.line().ends_with("ready"));
        ASSERT_TRUE(session.manages(client.windows)) << "the window manager does not list the client's windows";
        const auto clock = std::make_shared<TestClock>();
        const auto app = appOf(processes, ProcFS::executablePath("/proc", pid).value_or(""),
                               {session.display(), session.busAddress(), clock}, client.appId);

        app->terminate();
        for (const auto& line : client.said)
            EXPECT_EQ(processes.line(), line);
        if (client.then != Then::endsItself) {
            app->isTerminated();
            clock->time += RunningApps::QuitRequest::lingering;
            EXPECT_EQ(app->isTerminated(), false);
        }
        if (client.then == Then::staysUntilForced) {
            EXPECT_TRUE(processes.running(pid));
            app->forceTerminate();
        }
        EXPECT_EQ(processes.endedBy(pid), client.ending);
        EXPECT_TRUE(app->isTerminated());
    }
}

// A member has ended once /proc shows no process with its pid and start time, whatever
// else names its pid now; only a want of descriptors leaves that unknown.
TEST(QuitRequest, EndedMeansNoProcessWithItsPidAndStartTime)
{
    std::promise<pid_t> started;
    std::promise<void> done;
    std::thread thread([&] {
        started.set_value(static_cast<pid_t>(::syscall(SYS_gettid)));
        done.get_future().wait();
    });
    const pid_t tid = started.get_future().get();
    const auto self = ProcFS::stat("/proc", ::getpid());
    ASSERT_TRUE(self);
    struct Case {
        const char* name;
        RunningApps::AppMember member;
        bool outOfDescriptors;
        bool ended;
    } cases[] = {
        {"a running process", {::getpid(), 1, self->startTicks, "x"}, false, false},
        {"a process under another's pid", {::getpid(), 1, self->startTicks + 1, "x"}, false, true},
        {"a pid that names a thread now", {tid, 1, 1, "x"}, false, true},
        {"a pid no process has", {INT32_MAX, 1, 1, "x"}, false, true},
        {"with no descriptor to spare", {::getpid(), 1, self->startTicks + 1, "x"}, true, false},
    };
    for (const auto& c : cases) {
        rlimit saved{};
        ::getrlimit(RLIMIT_NOFILE, &saved);
        rlimit none = saved;
        none.rlim_cur = 0;
        if (c.outOfDescriptors)
            ::setrlimit(RLIMIT_NOFILE, &none);
        const bool ended = RunningApps::hasEnded("/proc", c.member);
        ::setrlimit(RLIMIT_NOFILE, &saved);
        EXPECT_EQ(ended, c.ended) << c.name;
    }
    done.set_value();
    thread.join();
}
