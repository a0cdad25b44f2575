#include "Platform/LinuxWorkspace.hpp"

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
    LinuxWorkspace workspace{proc.path(), {}, Shell::run};

    // Shows the child in the fake /proc as running the main executable of `bundle`.
    std::string show(const Child& child, const std::string& bundle, const std::string& info = "", uint32_t uid = ::getuid())
    {
        const auto id = Numbers::toText(uid), pid = Numbers::toText(child.pid);
        proc.write(pid + "/status", "Uid:\t" + id + "\t" + id + "\t" + id + "\t" + id + "\n");
        proc.symlink(pid + "/exe", apps.path(bundle + "/Contents/MacOS/main"));
        if (!info.empty())
            apps.write(bundle + "/Contents/Info.plist", "<plist version=\"1.0\"><dict>" + info + "</dict></plist>");
        return apps.path(bundle);
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

TEST(DesktopEntries, FoundInTheFirstFolderHoldingOne)
{
    test::FakeTree data;
    data.write("b/app.example.Tool.desktop", "[Desktop Entry]\n");
    data.write("c/app.example.Tool.desktop", "[Desktop Entry]\n");
    data.write("c/x.desktop", "[Desktop Entry]\n");
    data.mkdir("a/app.example.Folder.desktop");
    LinuxWorkspace workspace("/proc", {data.path("a"), data.path("b"), data.path("c")}, Shell::run);
    EXPECT_EQ(workspace.urlForApplication("app.example.Tool"), data.path("b/app.example.Tool.desktop"));
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

    auto withGio = std::make_shared<Runs>();
    LinuxWorkspace("/proc", {}, recorder(withGio, "/usr/bin/gio", "")).openApplication("/apps/a.b.desktop");
    EXPECT_EQ(seen(withGio), (Seen{{"/usr/bin/gio", "launch", "/apps/a.b.desktop"}}));

    auto withoutGio = std::make_shared<Runs>();
    LinuxWorkspace("/proc", {}, recorder(withoutGio, "/usr/bin/gtk-launch", "/usr/bin/gio")).openApplication("/apps/a.b.desktop");
    EXPECT_EQ(seen(withoutGio), (Seen{{"/usr/bin/gio", "launch", "/apps/a.b.desktop"}, {"/usr/bin/gtk-launch", "a.b.desktop"}}));
}
