#include "Platform/LinuxWorkspace.hpp"

#include "Core/AppGrouper.hpp"
#include "Core/CPUMeter.hpp"
#include "Platform/ProcProcessSource.hpp"

#include "Core/Numbers.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <future>
#include <mutex>
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
    void describe(const Child& child, const std::string& exe, uint32_t uid = ::getuid(), uint64_t started = 0)
    {
        describe(child.pid, exe, uid, started);
    }
    void describe(int32_t process, const std::string& exe, uint32_t uid = ::getuid(), uint64_t started = 0)
    {
        const auto id = Numbers::toText(uid), pid = Numbers::toText(process);
        std::filesystem::remove_all(proc.path(pid));
        proc.write(pid + "/status", "Uid:\t" + id + "\t" + id + "\t" + id + "\t" + id + "\n");
        proc.write(pid + "/stat", pid + " (x) S 1 1 1 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 " + Numbers::toText(started)
                                      + " 1000 10\n");
        proc.symlink(pid + "/exe", exe);
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
        const auto program = apps.write(folder + "/main", "#!/bin/sh\n");
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

TEST(ApplicationFolders, FollowTheXdgVariablesWithTheirDefaults)
{
    const auto folders = [](std::map<std::string, std::string> variables) {
        return LinuxWorkspace::xdgApplicationFolders([variables](const char* name) -> const char* {
            const auto it = variables.find(name);
            return it == variables.end() ? nullptr : it->second.c_str();
        });
    };
    using Paths = std::vector<std::filesystem::path>;
    EXPECT_EQ(folders({{"HOME", "/home/me"}, {"XDG_DATA_HOME", ""}}),
              (Paths{"/home/me/.local/share/applications", "/usr/local/share/applications", "/usr/share/applications"}));
    EXPECT_EQ(folders({{"XDG_DATA_HOME", "relative"}, {"XDG_DATA_DIRS", "/a:rel::/b/"}}),
              (Paths{"/a/applications", "/b/applications"}));
    EXPECT_EQ(folders({{"HOME", "/home/me"}, {"XDG_DATA_HOME", "relative"}, {"XDG_DATA_DIRS", "/a"}}),
              (Paths{"/home/me/.local/share/applications", "/a/applications"}));
}

namespace {

// Applications folders "a", "b" and "c" in that order of precedence, with installed
// programs beside them.
struct Installed {
    test::FakeTree data;
    std::vector<std::filesystem::path> folders{data.path("a"), data.path("b"), data.path("c")};

    std::string program(const std::string& relative)
    {
        const auto path = data.write(relative, "#!/bin/sh\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
        return path;
    }
    void entry(const std::string& relative, const std::string& exec)
    {
        data.write(relative, "[Desktop Entry]\nType=Application\nName=X\nExec=" + exec + "\n");
    }
};

} // namespace

TEST(DesktopEntries, AnAppIsFoundByItsEntryAndIsWhereItsProgramIs)
{
    Installed installed;
    installed.entry("b/app.example.Tool.desktop", installed.program("opt/tool/bin/tool") + " %f");
    installed.entry("c/app.example.Tool.desktop", installed.program("opt/other/other"));
    installed.data.mkdir("a/app.example.Folder.desktop");
    // A browser is found under its own entry name; its folder is the resolved program's.
    installed.data.symlink("bin/google-chrome-stable", "../opt/google/chrome/google-chrome");
    installed.program("opt/google/chrome/google-chrome");
    installed.entry("c/google-chrome.desktop", installed.data.path("bin/google-chrome-stable") + " %U");
    LinuxWorkspace workspace("/proc", installed.folders, Shell::run);

    EXPECT_EQ(workspace.urlForApplication("app.example.Tool"), installed.data.path("opt/tool/bin"));
    EXPECT_EQ(workspace.urlForApplication("com.google.Chrome"), installed.data.path("opt/google/chrome"));
    EXPECT_EQ(workspace.urlForApplication("com.brave.Browser"), std::nullopt);
    EXPECT_EQ(workspace.urlForApplication("app.example.Folder"), std::nullopt);
    EXPECT_EQ(workspace.urlForApplication("../c/x"), std::nullopt);
}

TEST(DesktopEntries, OpeningRunsTheToolsAwayFromTheCaller)
{
    // The runs happen on their own thread; the state outlives the test if need be.
    struct Runs {
        std::mutex lock;
        std::vector<std::vector<std::string>> seen;
        std::promise<void> finished;
    };
    const auto recorder = [](std::shared_ptr<Runs> runs, std::string last, std::string missing) -> CommandRunner {
        return [=](const std::string& path, const std::vector<std::string>& arguments) {
            {
                std::lock_guard guard(runs->lock);
                runs->seen.push_back(arguments);
                runs->seen.back().insert(runs->seen.back().begin(), path);
            }
            if (path == last)
                runs->finished.set_value();
            if (path == missing)
                throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
            return Shell::Output{};
        };
    };
    const auto seen = [](const std::shared_ptr<Runs>& runs) {
        runs->finished.get_future().wait();
        std::lock_guard guard(runs->lock);
        return runs->seen;
    };
    using Seen = std::vector<std::vector<std::string>>;

    const std::string url = "https://example.com/a b?x=1;$(rm -rf ~)";
    auto opening = std::make_shared<Runs>();
    LinuxWorkspace("/proc", {}, recorder(opening, "/usr/bin/xdg-open", "/usr/bin/xdg-open")).open(url);
    EXPECT_EQ(seen(opening), (Seen{{"/usr/bin/xdg-open", url}}));

    // An app is launched from the entry it was found through.
    Installed installed;
    installed.entry("b/a.b.desktop", installed.program("opt/ab/ab"));
    const auto entry = installed.data.path("b/a.b.desktop");
    const auto app = LinuxWorkspace("/proc", installed.folders, Shell::run).urlForApplication("a.b");
    ASSERT_TRUE(app);
    auto withGio = std::make_shared<Runs>();
    LinuxWorkspace("/proc", installed.folders, recorder(withGio, "/usr/bin/gio", "")).openApplication(*app);
    EXPECT_EQ(seen(withGio), (Seen{{"/usr/bin/gio", "launch", entry}}));

    auto withoutGio = std::make_shared<Runs>();
    LinuxWorkspace("/proc", installed.folders, recorder(withoutGio, "/usr/bin/gtk-launch", "/usr/bin/gio")).openApplication(*app);
    EXPECT_EQ(seen(withoutGio), (Seen{{"/usr/bin/gio", "launch", entry}, {"/usr/bin/gtk-launch", "a.b.desktop"}}));
}

// Only the tool's exit tells whether a handler took a web page; what it printed stays with it.
TEST(DesktopEntries, AWebPageOpensOnlyWhenTheToolSaysAHandlerTookIt)
{
    const std::string url = "https://example.com/a b?x=1;$(rm -rf ~)";
    struct Case {
        std::optional<int32_t> status;  // none: the tool is not installed
        bool opened;
    };
    for (const Case& c : {Case{0, true}, Case{3, false}, Case{4, false}, Case{std::nullopt, false}}) {
        std::vector<std::string> seen;
        const CommandRunner run = [&](const std::string& path, const std::vector<std::string>& arguments) {
            seen = arguments;
            seen.insert(seen.begin(), path);
            if (!c.status)
                throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
            return Shell::Output{*c.status, "", "/usr/bin/xdg-open: 882: firefox: not found\n"};
        };
        EXPECT_EQ(LinuxWorkspace("/proc", {}, run).openPage(url), c.opened) << c.status.value_or(-1);
        EXPECT_EQ(seen, (std::vector<std::string>{"/usr/bin/xdg-open", url}));
    }
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
