#include "Core/FixRunner.hpp"

#include <gtest/gtest.h>

#include <system_error>

using namespace corvane;
using namespace std::chrono_literals;

namespace {

struct FakeApp : RunningApplication {
    std::optional<std::string> bundle = "/Applications/Tool.app";
    std::optional<std::string> executable = "/Applications/Tool.app/Contents/MacOS/Tool";
    ActivationPolicy policy = ActivationPolicy::regular;
    int asked = 0, forced = 0;
    int endsAfterChecks = 0;  // checks after a request before it reports ended; -1: never
    mutable int checks = 0;

    std::optional<std::string> bundleURL() const override { return bundle; }
    std::optional<std::string> executableURL() const override { return executable; }
    ActivationPolicy activationPolicy() const override { return policy; }
    void terminate() override { ++asked; }
    void forceTerminate() override { ++forced; }
    bool isTerminated() const override
    {
        return asked + forced > 0 && endsAfterChecks >= 0 && checks++ >= endsAfterChecks;
    }
};

struct FakeWorkspace : Workspace {
    std::vector<std::shared_ptr<FakeApp>> apps;
    int listings = 0;
    std::vector<std::string> opened, launched, pages;
    std::optional<std::string> installedCleaner;
    bool opens = true;

    std::vector<Application> runningApplications() override
    {
        ++listings;
        return {apps.begin(), apps.end()};
    }
    bool open(const std::string& url) override
    {
        opened.push_back(url);
        return opens;
    }
    bool openPage(const std::string& url) override
    {
        pages.push_back(url);
        return opens;
    }
    std::optional<std::string> urlForApplication(std::string_view id) override
    {
        return id == "app.ferncourt.Ferncourt" ? installedCleaner : std::nullopt;
    }
    void openApplication(const std::string& url) override { launched.push_back(url); }
};

// Time moves only when the runner pauses.
struct FakeClock : ContinuousClock {
    Duration time{1h};
    std::vector<Duration> pauses;
    Duration now() override { return time; }
    void sleep(Duration d) override
    {
        pauses.push_back(d);
        time += d;
    }
};

class FixRunnerTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeWorkspace> workspace = std::make_shared<FakeWorkspace>();
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    std::vector<std::vector<std::string>> runs;
    Shell::Output scriptResult;
    FixRunner runner{501, workspace, clock, [this](const std::string& path, const std::vector<std::string>& arguments) {
                         runs.push_back(arguments);
                         runs.back().insert(runs.back().begin(), path);
                         return scriptResult;
                     }};

    std::shared_ptr<FakeApp> addApp()
    {
        workspace->apps.push_back(std::make_shared<FakeApp>());
        return workspace->apps.back();
    }

    static ProcessGroup tool(const std::string& displayName = "Tool", uint32_t uid = 501)
    {
        const std::string app = "/Applications/Tool.app";
        const ProcessUsage main{10, 1, uid, "me", app + "/Contents/MacOS/Tool", "Tool", 4, 1};
        return ProcessGroup{app, displayName, app, {main}, 4, 1, true};
    }
};

} // namespace

TEST_F(FixRunnerTest, LoneProcessIsRefusedAndUnmatchedBundleIsAlreadyGone)
{
    auto lone = tool();
    lone.appPath.reset();
    addApp()->bundle = "/Applications/Tool.app/";
    EXPECT_EQ(runner.quit(lone, false, 10s), FixOutcome::refused());
    EXPECT_EQ(workspace->listings, 0);
    addApp()->bundle.reset();
    EXPECT_EQ(runner.quit(tool(), false, 10s), FixOutcome::alreadyGone());
}

TEST_F(FixRunnerTest, QuitAsksEveryMatchedAppAndPollsUntilAllEnd)
{
    auto first = addApp(), second = addApp();
    addApp()->bundle = "/Applications/Other.app";
    second->endsAfterChecks = 3;
    EXPECT_EQ(runner.quit(tool(), false, 10s), FixOutcome::done());
    EXPECT_EQ(first->asked + second->asked, 2);
    EXPECT_EQ(workspace->apps[2]->asked, 0);
    EXPECT_EQ(clock->pauses, (std::vector<ContinuousClock::Duration>(3, 250ms)));

    EXPECT_EQ(runner.quit(tool(), true, 10s), FixOutcome::done());
    EXPECT_EQ(first->forced, 1);
    EXPECT_EQ(first->asked, 1);
}

TEST_F(FixRunnerTest, AppIgnoringTheRequestIsStillRunningAtTheDeadline)
{
    addApp()->endsAfterChecks = -1;
    EXPECT_EQ(runner.quit(tool(), false, 10s), FixOutcome::stillRunning());
    EXPECT_EQ(clock->pauses.size(), 40u);

    clock->pauses.clear();
    workspace->apps[0]->endsAfterChecks = 1;  // a zero timeout asks but never pauses
    EXPECT_EQ(runner.quit(tool(), false, 0s), FixOutcome::stillRunning());
    EXPECT_EQ(workspace->apps[0]->asked, 2);
    EXPECT_TRUE(clock->pauses.empty());
    EXPECT_EQ(runner.quit(tool(), false, std::chrono::nanoseconds::max()), FixOutcome::done());
}

TEST_F(FixRunnerTest, AnyUnsafeAppRefusesTheWholeGroupBeforeAsking)
{
    auto app = addApp();
    addApp()->policy = ActivationPolicy::accessory;
    const auto refusedFor = [&](const ProcessGroup& g) { return runner.quit(g, true, 0s) == FixOutcome::refused(); };
    EXPECT_TRUE(refusedFor(tool("Finder")));
    EXPECT_TRUE(refusedFor(tool("Tool", 0)));
    for (const char* path : {"/usr/local/bin/tool", "/opt/Dock"}) {
        app->executable = path;
        EXPECT_TRUE(refusedFor(tool())) << path;
    }
    app->executable = "/Users/me/Tool";
    app->policy = ActivationPolicy::prohibited;
    EXPECT_TRUE(refusedFor(tool()));
    EXPECT_EQ(app->forced + workspace->apps[1]->forced, 0);

    app->policy = ActivationPolicy::regular;
    EXPECT_FALSE(refusedFor(tool()));
    // Without an executable the bundle path is judged instead.
    auto system = tool();
    system.appPath = "/System/Applications/Tool.app";
    for (auto& a : workspace->apps)
        a->bundle = system.appPath;
    app->executable.reset();
    EXPECT_TRUE(refusedFor(system));
}

// An installed app outside a bundle lies under /usr as the system's own programs do:
// the desktop listing it decides instead, as the grouping does.
TEST_F(FixRunnerTest, AnInstalledAppUnderUsrQuitsUnlessTheSessionOwnsIt)
{
    const std::string root = "/usr/lib/firefox-esr";
    const ProcessUsage main{10, 1, 501, "me", root + "/firefox-esr", "firefox-esr", 4, 1};
    const ProcessGroup firefox{root, "Firefox ESR", root, {main}, 4, 1, true};
    auto app = addApp();
    app->bundle = root;
    app->executable = main.path;
    EXPECT_EQ(runner.quit(firefox, false, 0s), FixOutcome::done());

    app->policy = ActivationPolicy::prohibited;
    EXPECT_EQ(runner.quit(firefox, true, 0s), FixOutcome::refused());
    EXPECT_EQ(app->forced, 0);
}

TEST(ScriptOutcome, StatusThenFirstParenthesisedIntegerThenTrimmedOutput)
{
    EXPECT_EQ(FixRunner::outcome(0, "execution error (-128)"), FixOutcome::done());
    EXPECT_EQ(FixRunner::outcome(1, "0:5: execution error: User canceled. (-128)\n"), FixOutcome::cancelled());
    EXPECT_EQ(FixRunner::outcome(1, "Not authorized (-1743)"), FixOutcome::failed("-1743"));
    EXPECT_EQ(FixRunner::outcome(1, "first (12) then (-128)"), FixOutcome::failed("12"));
    EXPECT_EQ(FixRunner::outcome(1, "(-) (x1) ( 3) ((007)"), FixOutcome::failed("7"));
    EXPECT_EQ(FixRunner::outcome(1, " big (99999999999999999999)\n"), FixOutcome::failed("big (99999999999999999999)"));
    EXPECT_EQ(FixRunner::outcome(1, "\t unclosed (42 \n"), FixOutcome::failed("unclosed (42"));
    EXPECT_EQ(FixRunner::outcome(2, ""), FixOutcome::failed(""));
    // Every kind of whitespace and line break goes, the no-break and wide spaces included.
    EXPECT_EQ(FixRunner::outcome(1, "\v\f\u0085\u00A0\u2028 not allowed\u00A0here \u2029\u3000\u1680\n"),
              FixOutcome::failed("not allowed\u00A0here"));
}

TEST_F(FixRunnerTest, ScriptsRunAsOneArgumentOfTheScriptTool)
{
    EXPECT_EQ(FixRunner::rebuildScript.size(), 68u);
    EXPECT_EQ(FixRunner::restartScript, "tell application \"loginwindow\" to \xC2\xAB" "event aevtrrst\xC2\xBB");
    scriptResult = {1, "ignored (5)", "Restart cancelled (-128)"};
    EXPECT_EQ(runner.restartMac(), FixOutcome::cancelled());
    scriptResult = {0, "", ""};
    EXPECT_EQ(runner.rebuildSpotlightIndex(), FixOutcome::done());
    EXPECT_EQ(runs, (std::vector<std::vector<std::string>>{
                        {"/usr/bin/osascript", "-e", std::string(FixRunner::restartScript)},
                        {"/usr/bin/osascript", "-e",
                         "do shell script \"/usr/bin/mdutil -E /\" with administrator privileges"}}));
    const auto missing = [](const std::string&, const std::vector<std::string>&) -> Shell::Output {
        throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
    };
    EXPECT_EQ(FixRunner::osascript("return 1", missing), FixOutcome::failed("osascript"));
}

TEST_F(FixRunnerTest, OpeningPanesAndTheDiskCleaner)
{
    EXPECT_TRUE(runner.open(SettingsPane::wifi));
    runner.openFerncourt();
    ASSERT_EQ(workspace->opened.size(), 2u);
    EXPECT_EQ(workspace->opened[0], "x-apple.systempreferences:com.apple.wifi-settings-extension");
    EXPECT_TRUE(workspace->opened[1].starts_with("https://") && workspace->opened[1].ends_with("/?ref=corvane"));

    workspace->installedCleaner = "/apps/app.ferncourt.Ferncourt.desktop";
    runner.openFerncourt();
    EXPECT_EQ(workspace->launched, (std::vector<std::string>{"/apps/app.ferncourt.Ferncourt.desktop"}));
    EXPECT_EQ(workspace->opened.size(), 2u);

    // A pane nothing can show says so.
    workspace->opens = false;
    EXPECT_FALSE(runner.open(SettingsPane::displays));
}
