#include "Platform/ProcProcessSource.hpp"

#include "Core/Numbers.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <filesystem>
#include <unistd.h>

using namespace corvane;

namespace {

const ProcProcessSource::Units units{100, 4096};

struct Stat {
    std::string comm = "app";
    int ppid = 1;
    uint64_t flags = 0x400100;
    uint64_t utime = 0;
    uint64_t stime = 0;
    uint64_t startTicks = 0;
    std::string rssPages = "0";
    int terminal = 0;  // tty_nr
};

// One /proc/PID/stat line with every field the kernel writes.
std::string statLine(int pid, const Stat& s)
{
    using Numbers::toText;
    return toText(pid) + " (" + s.comm + ") S " + toText(s.ppid) + " 1 1 " + toText(s.terminal) + " -1 " + toText(s.flags)
           + " 10 0 0 0 " + toText(s.utime) + " " + toText(s.stime) + " 0 0 20 0 1 0 " + toText(s.startTicks)
           + " 1000000 " + s.rssPages + " 18446744073709551615 1 1 0 0 0 0 0 0 0 0 0 0 17 3 0 0 0 0 0\n";
}

// The kernel makes a process's folder owned by the process's effective user;
// giving a fake folder another owner takes root, so the tests that need one are
// skipped for other users.
bool canOwnFolders()
{
    return ::geteuid() == 0;
}

const uint32_t me = ::geteuid();

void own(const test::FakeTree& proc, int pid, uint32_t uid)
{
    if (uid != me && ::chown(proc.path(Numbers::toText(pid)).c_str(), uid, static_cast<gid_t>(-1)) != 0)
        throw std::runtime_error("cannot chown a fake process folder");
}

void addProcess(const test::FakeTree& proc, int pid, const Stat& stat, uint32_t uid, const std::string& exe)
{
    const std::string folder = Numbers::toText(pid);
    proc.write(folder + "/stat", statLine(pid, stat));
    proc.symlink(folder + "/exe", exe);
    own(proc, pid, uid);
}

void replaceExe(const test::FakeTree& proc, int pid, const std::string& exe)
{
    std::filesystem::remove(proc.path(Numbers::toText(pid) + "/exe"));
    proc.symlink(Numbers::toText(pid) + "/exe", exe);
}

} // namespace

TEST(ProcProcessSource, ReadsEachProcessFromItsStatFolderAndExe)
{
    if (!canOwnFolders())
        GTEST_SKIP() << "needs root to own fake process folders";
    test::FakeTree proc;
    proc.write("uptime", "110.00 500.00\n");
    // A command name with spaces and ")" must not shift the numeric fields; this one
    // was started at a prompt on /dev/pts/1.
    addProcess(proc, 412, {"Web Content) (x", 7, 0x400100, 150, 50, 1000, "25", 34817}, 0, "/usr/lib/browser/browser");

    const auto before = std::chrono::system_clock::now();
    const Snapshot snapshot = ProcProcessSource(proc.path(), units).sample();
    EXPECT_GE(snapshot.takenAt, before);
    ASSERT_EQ(snapshot.processes.size(), 1u);
    const ProcessSample expected{412, 7, 0, "root", 2.0, 25 * 4096, 2.0, "/usr/lib/browser/browser", "", 10.0, {}, true};
    EXPECT_EQ(snapshot.processes[0], expected);
}

TEST(ProcProcessSource, CPUPercentIsCPUTimeOverTimeSinceStart)
{
    test::FakeTree proc;
    proc.write("uptime", "1000.5 0\n");
    addProcess(proc, 10, {.utime = 30000, .stime = 10000, .startTicks = 50}, me, "/bin/busy");   // 400 s over 1000 s
    addProcess(proc, 11, {.utime = 100, .startTicks = 100050}, me, "/bin/new");                  // started this instant
    const auto processes = ProcProcessSource(proc.path(), units).sample().processes;
    ASSERT_EQ(processes.size(), 2u);
    EXPECT_DOUBLE_EQ(processes[0].psCPU, 40.0);
    EXPECT_EQ(processes[1].psCPU, 0.0);
}

TEST(ProcProcessSource, CPUPercentFallsBackToBootTimeAndElseZero)
{
    test::FakeTree withBoot;
    withBoot.write("stat", "cpu  1 2 3\nbtime 1000\nprocesses 5\n");
    addProcess(withBoot, 5, {.utime = 100, .startTicks = 0}, me, "/bin/a");
    const double psCPU = ProcProcessSource(withBoot.path(), units).sample().processes.at(0).psCPU;
    EXPECT_GT(psCPU, 0.0);
    EXPECT_LT(psCPU, 1e-6);  // one second over decades since 1970 plus 1000 s

    test::FakeTree withoutClock;
    addProcess(withoutClock, 5, {.utime = 100}, me, "/bin/a");
    EXPECT_EQ(ProcProcessSource(withoutClock.path(), units).sample().processes.at(0).psCPU, 0.0);
}

TEST(ProcProcessSource, LeavesOutKernelThreadsVanishedAndUnreadableProcesses)
{
    test::FakeTree proc;
    proc.write("uptime", "100 0\n");
    addProcess(proc, 1, {}, me, "/sbin/init");
    addProcess(proc, 2, {.comm = "kthreadd", .flags = 0x00208040}, me, "kthreadd");
    proc.mkdir("3");  // gone between the listing and the read
    addProcess(proc, 4, {.rssPages = "4611686018427387904"}, me, "/bin/huge");  // bytes overflow
    addProcess(proc, 5, {.rssPages = "lots"}, me, "/bin/garbled");
    proc.write("7/stat", "7 (truncated) S 1 1\n");
    addProcess(proc, 8, {}, me, "/usr/bin/last");
    proc.mkdir("self");

    const auto processes = ProcProcessSource(proc.path(), units).sample().processes;
    ASSERT_EQ(processes.size(), 2u);
    EXPECT_EQ(processes[0].path, "/sbin/init");
    EXPECT_EQ(processes[1].path, "/usr/bin/last");
}

TEST(ProcProcessSource, NamesUsersAndFallsBackToTheNumber)
{
    if (!canOwnFolders())
        GTEST_SKIP() << "needs root to own fake process folders";
    test::FakeTree proc;
    addProcess(proc, 20, {}, 0, "/bin/a");
    addProcess(proc, 21, {}, 3999999999u, "/bin/b");
    addProcess(proc, 22, {}, 0, "/bin/c");
    ProcProcessSource source(proc.path(), units);
    for (int round = 0; round < 2; ++round) {  // the second round answers from the cache
        const auto processes = source.sample().processes;
        ASSERT_EQ(processes.size(), 3u);
        EXPECT_EQ(processes[0].user, "root");
        EXPECT_EQ(processes[1].user, "3999999999");
        EXPECT_EQ(processes[1].uid, 3999999999u);
        EXPECT_EQ(processes[2].user, "root");
    }
}

// What the source keeps between samples must follow a process that starts another
// program or whose pid is reused by a new process.
TEST(ProcProcessSource, KeptPathsFollowExecAndPidReuse)
{
    test::FakeTree proc;
    addProcess(proc, 30, {.comm = "firefox", .startTicks = 500}, me, "/usr/bin/bash");  // a launcher script
    addProcess(proc, 31, {.comm = "worker", .startTicks = 600}, me, "/opt/a/worker");
    ProcProcessSource source(proc.path(), units);
    auto processes = source.sample().processes;
    ASSERT_EQ(processes.size(), 2u);
    EXPECT_EQ(processes[0].path, "/usr/bin/bash");

    // The launcher replaces itself with the program, keeping pid, start time and name.
    replaceExe(proc, 30, "/usr/lib/firefox/firefox");
    // A new process takes pid 31.
    proc.write("31/stat", statLine(31, {.comm = "worker", .startTicks = 900}));
    replaceExe(proc, 31, "/opt/b/worker");
    processes = source.sample().processes;
    ASSERT_EQ(processes.size(), 2u);
    EXPECT_EQ(processes[0].path, "/usr/lib/firefox/firefox");
    EXPECT_EQ(processes[1].path, "/opt/b/worker");
}

TEST(ProcProcessSource, UserFollowsAProcessThatChangesIt)
{
    if (!canOwnFolders())
        GTEST_SKIP() << "needs root to own fake process folders";
    test::FakeTree proc;
    addProcess(proc, 32, {.comm = "daemon", .startTicks = 700}, 0, "/usr/sbin/daemon");
    ProcProcessSource source(proc.path(), units);
    EXPECT_EQ(source.sample().processes.at(0).user, "root");
    // The daemon drops root for a user of its own.
    own(proc, 32, 3999999999u);
    const auto processes = source.sample().processes;
    ASSERT_EQ(processes.size(), 1u);
    EXPECT_EQ(processes[0].uid, 3999999999u);
    EXPECT_EQ(processes[0].user, "3999999999");
    EXPECT_EQ(processes[0].path, "/usr/sbin/daemon");
}

TEST(ProcProcessSource, WithoutTheExeLinkPathComesFromArgvOrNameAndFollowsANewName)
{
    test::FakeTree proc;
    proc.write("40/stat", statLine(40, {.comm = "sshd"}));
    proc.write("40/cmdline", std::string("/usr/sbin/sshd\0-D\0", 18));
    proc.write("41/stat", statLine(41, {.comm = "zombie"}));  // exited, not yet reaped
    proc.write("42/stat", statLine(42, {.comm = "python3", .startTicks = 10}));
    proc.write("42/cmdline", std::string("/usr/bin/python3\0", 17));
    for (const int pid : {40, 41, 42})
        own(proc, pid, me);
    ProcProcessSource source(proc.path(), units);
    auto processes = source.sample().processes;
    ASSERT_EQ(processes.size(), 3u);
    EXPECT_EQ(processes[0].path, "/usr/sbin/sshd");
    EXPECT_EQ(processes[1].path, "zombie");
    EXPECT_EQ(processes[2].path, "/usr/bin/python3");

    proc.write("40/stat", statLine(40, {.comm = "helper"}));
    proc.write("40/cmdline", std::string("/usr/lib/helper\0", 16));
    // Another process of the same name takes pid 42.
    proc.write("42/stat", statLine(42, {.comm = "python3", .startTicks = 20}));
    proc.write("42/cmdline", std::string("/opt/py/bin/python3\0", 20));
    processes = source.sample().processes;
    ASSERT_EQ(processes.size(), 3u);
    EXPECT_EQ(processes[0].path, "/usr/lib/helper");
    EXPECT_EQ(processes[2].path, "/opt/py/bin/python3");
}

// A program run from an anonymous memory file has an exe link that names no file and
// stays the same when the program renames itself.
TEST(ProcProcessSource, AProgramFromAMemoryFileFollowsItsNewName)
{
    test::FakeTree proc;
    addProcess(proc, 50, {.comm = "loader", .startTicks = 10}, me, "/memfd:x (deleted)");
    proc.write("50/cmdline", std::string("loader\0", 7));
    ProcProcessSource source(proc.path(), units);
    EXPECT_EQ(source.sample().processes.at(0).path, "loader");

    proc.write("50/stat", statLine(50, {.comm = "payload", .startTicks = 10}));
    EXPECT_EQ(source.sample().processes.at(0).path, "payload");
}

// A kernel thread is recognised once and then passed over; a user process that
// later takes its pid is listed.
TEST(ProcProcessSource, PidOfAKernelThreadReusedByAProcessIsListed)
{
    test::FakeTree proc;
    addProcess(proc, 2, {.comm = "kworker/0:1", .flags = 0x04208060, .startTicks = 5}, me, "kworker");
    ProcProcessSource source(proc.path(), units);
    EXPECT_TRUE(source.sample().processes.empty());
    EXPECT_TRUE(source.sample().processes.empty());

    // The old folder is kept aside so the new one cannot get its inode back.
    std::filesystem::rename(proc.path("2"), proc.path("gone"));
    addProcess(proc, 2, {.comm = "app", .startTicks = 8000}, me, "/usr/bin/app");
    const auto processes = source.sample().processes;
    ASSERT_EQ(processes.size(), 1u);
    EXPECT_EQ(processes[0].path, "/usr/bin/app");
}

TEST(ProcProcessSource, UnreadableRootThrows)
{
    test::FakeTree proc;
    EXPECT_THROW(ProcProcessSource(proc.path("missing"), units).sample(), std::filesystem::filesystem_error);
}

TEST(ProcProcessSource, LiveTableHoldsThisProcessAndNoKernelThreads)
{
    const Snapshot snapshot = ProcProcessSource().sample();
    const auto self = std::find_if(snapshot.processes.begin(), snapshot.processes.end(),
                                   [](const ProcessSample& p) { return p.pid == ::getpid(); });
    ASSERT_NE(self, snapshot.processes.end());
    EXPECT_EQ(self->path, std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(self->ppid, ::getppid());
    EXPECT_EQ(self->uid, ::geteuid());
    EXPECT_GT(self->rssBytes, 0);
    EXPECT_GE(self->cpuTime, 0.0);
    for (const auto& process : snapshot.processes)
        EXPECT_NE(process.path, "kthreadd");
}

TEST(ProcProcessSource, KeepsAnAppUnitButReadsAgainWhileAYoungProcessHasNone)
{
    test::FakeTree proc;
    const std::string unit = "0::/user.slice/user-1000.slice/user@1000.service/app.slice/";
    proc.write("uptime", "30.00 0.00\n");
    addProcess(proc, 50, {.startTicks = 10}, me, "/usr/bin/gedit");
    proc.write("50/cgroup", unit + "app-gnome-org.gnome.gedit-5.scope\n");
    proc.write("50/cmdline", std::string("/usr/bin/gedit\0--new-window\0", 28));
    addProcess(proc, 51, {.startTicks = 10}, me, "/usr/bin/firefox");
    proc.write("51/cgroup", "0::/user.slice/user-1000.slice/session-2.scope\n");
    ProcProcessSource source(proc.path(), units);
    auto processes = source.sample().processes;
    ASSERT_EQ(processes.size(), 2u);
    EXPECT_EQ(processes[0].appScope, "org.gnome.gedit");
    EXPECT_EQ(processes[0].startTime, 0.1);
    EXPECT_EQ(processes[0].arguments.view(), std::string_view("/usr/bin/gedit\0--new-window\0", 28));
    EXPECT_EQ(processes[1].appScope, "");

    // A launcher moves its fresh child into the child's scope a moment after starting it;
    // the next tick a second or more later sees it there.
    proc.write("51/cgroup", unit + "app-gnome-firefox-51.scope\n");
    EXPECT_EQ(source.sample().processes[1].appScope, "");
    proc.write("uptime", "31.50 0.00\n");
    proc.write("50/cgroup", unit + "app-gnome-other-6.scope\n");
    processes = source.sample().processes;
    EXPECT_EQ(processes[0].appScope, "org.gnome.gedit");  // kept once known
    EXPECT_EQ(processes[1].appScope, "firefox");
    // Read afresh for a new process under the pid.
    proc.write("50/stat", statLine(50, {.startTicks = 20}));
    EXPECT_EQ(source.sample().processes[0].appScope, "other");

    // After its first minute a process outside any app unit stays there.
    addProcess(proc, 52, {.startTicks = 10}, me, "/usr/bin/bash");
    proc.write("uptime", "100.00 0.00\n");
    EXPECT_EQ(source.sample().processes[2].appScope, "");
    proc.write("52/cgroup", unit + "app-gnome-late-7.scope\n");
    EXPECT_EQ(source.sample().processes[2].appScope, "");
}
