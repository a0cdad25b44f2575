#include "Core/AppGrouper.hpp"
#include "Core/CPUMeter.hpp"
#include "Core/SafetyGate.hpp"

#include <gtest/gtest.h>

#include <limits>

using namespace corvane;
using namespace std::chrono_literals;

namespace {

ProcessSample sample(int32_t pid, const std::string& path, double cpuTime, double psCPU = 7)
{
    return ProcessSample{pid, 1, 501, "me", cpuTime, 4096, psCPU, path};
}

ProcessUsage usage(int32_t pid, const std::string& path, double cpu, uint32_t uid = 501, int64_t memory = 100)
{
    const auto slash = path.rfind('/');
    return ProcessUsage{pid, 1, uid, "me", path, slash == std::string::npos ? path : path.substr(slash + 1), cpu, memory};
}

const auto noFootprint = [](int32_t) -> std::optional<int64_t> { return std::nullopt; };

} // namespace

TEST(CPUMeter, MeasuresFromTheGrowthOfCpuTime)
{
    const Date t0{};
    const Snapshot before{t0, {sample(10, "/bin/a", 4.0), sample(11, "/bin/b", 9.0), sample(12, "/bin/c", 1.0)}};
    const Snapshot after{t0 + 3s, {sample(10, "/bin/a", 5.5), sample(11, "/bin/b", 8.0),
                                   sample(12, "/bin/reused", 2.0), sample(13, "/bin/new", 1.0)}};
    const auto result = CPUMeter::usage(before, after, noFootprint);
    ASSERT_EQ(result.size(), 4u);
    EXPECT_DOUBLE_EQ(result[0].cpuPercent, 50);  // 1.5 s over 3 s
    EXPECT_DOUBLE_EQ(result[1].cpuPercent, 7);   // time went down: table's figure
    EXPECT_DOUBLE_EQ(result[2].cpuPercent, 7);   // pid reused by another program
    EXPECT_DOUBLE_EQ(result[3].cpuPercent, 7);   // first sample
    EXPECT_EQ(result[0].memoryBytes, 4096);
    EXPECT_EQ(result[2].name, "reused");
}

TEST(CPUMeter, KeepsTableFigureWithoutPreviousOrWhenClockStood)
{
    const Snapshot now{Date{} + 5s, {sample(1, "/bin/a", 10, 3)}};
    EXPECT_DOUBLE_EQ(CPUMeter::usage(std::nullopt, now, noFootprint)[0].cpuPercent, 3);
    const Snapshot same{Date{} + 5s, {sample(1, "/bin/a", 1, 3)}};
    EXPECT_DOUBLE_EQ(CPUMeter::usage(same, now, noFootprint)[0].cpuPercent, 3);
}

TEST(CPUMeter, FootprintReplacesResidentSizeWhereRead)
{
    const Snapshot now{Date{}, {sample(1, "/bin/a", 0), sample(2, "/bin/b", 0)}};
    const auto result = CPUMeter::usage(std::nullopt, now, [](int32_t pid) -> std::optional<int64_t> {
        return pid == 1 ? std::optional<int64_t>(99) : std::nullopt;
    });
    EXPECT_EQ(result[0].memoryBytes, 99);
    EXPECT_EQ(result[1].memoryBytes, 4096);
}

TEST(AppGrouper, OutermostBundle)
{
    EXPECT_EQ(AppGrouper::outermostApp("/Applications/Foo.app/Contents/Frameworks/Foo Helper.app/Contents/MacOS/Foo Helper"),
              "/Applications/Foo.app");
    EXPECT_EQ(AppGrouper::outermostApp("/Applications/Foo.app"), "/Applications/Foo.app");
    EXPECT_EQ(AppGrouper::outermostApp("/usr/libexec/foo"), std::nullopt);
}

TEST(AppGrouper, BrowserHelpersFoldIntoOneGroup)
{
    const std::string app = "/Applications/Google Chrome.app";
    const auto groups = AppGrouper::group(
        {
            usage(20, app + "/Contents/Frameworks/Helper.app/Contents/MacOS/Google Chrome Helper", 30),
            usage(21, app + "/Contents/MacOS/Google Chrome", 10),
            usage(22, app + "/Contents/Frameworks/Helper.app/Contents/MacOS/Google Chrome Helper", 5),
        },
        501);
    ASSERT_EQ(groups.size(), 1u);
    const auto& g = groups[0];
    EXPECT_EQ(g.id, app);
    EXPECT_EQ(g.appPath, app);
    EXPECT_EQ(g.displayName, "Google Chrome");
    EXPECT_EQ(g.helperCount(), 2);
    EXPECT_EQ(g.primary().pid, 21);
    EXPECT_DOUBLE_EQ(g.cpuPercent, 45);
    EXPECT_EQ(g.memoryBytes, 300);
    EXPECT_TRUE(g.quittable);
}

TEST(AppGrouper, LoneProcessAndQuitRules)
{
    const auto groups = AppGrouper::group(
        {
            usage(77, "/usr/libexec/foo", 1),
            usage(80, "/System/Applications/Mail.app/Contents/MacOS/Mail", 1),
            usage(81, "/System/Library/CoreServices/Finder.app/Contents/MacOS/Finder", 1),
            usage(82, "/Applications/Other.app/Contents/MacOS/Other", 1, 0),
        },
        501);
    ASSERT_EQ(groups.size(), 4u);
    for (const auto& g : groups)
        EXPECT_FALSE(g.quittable) << g.id;
    const auto lone = std::find_if(groups.begin(), groups.end(), [](auto& g) { return g.id == "pid:77"; });
    ASSERT_NE(lone, groups.end());
    EXPECT_EQ(lone->displayName, "foo");
    EXPECT_FALSE(lone->appPath);
}

TEST(AppGrouper, GroupMemoryStopsAtTheLargestCount)
{
    const int64_t huge = std::numeric_limits<int64_t>::max() - 1;
    const auto groups = AppGrouper::group({usage(1, "/Applications/A.app/Contents/MacOS/A", 0, 501, huge),
                                           usage(2, "/Applications/A.app/Contents/MacOS/B", 0, 501, huge)},
                                          501);
    EXPECT_EQ(groups.at(0).memoryBytes, std::numeric_limits<int64_t>::max());
}

TEST(AppGrouper, OrdersByCpuThenByCharacterCodes)
{
    const auto groups = AppGrouper::group(
        {
            usage(1, "/Applications/mail.app/Contents/MacOS/mail", 5),
            usage(2, "/Applications/app.app/Contents/MacOS/app", 5),
            usage(3, "/Applications/Zoom.app/Contents/MacOS/Zoom", 5),
            usage(4, "/Applications/Busy.app/Contents/MacOS/Busy", 50),
        },
        501);
    ASSERT_EQ(groups.size(), 4u);
    EXPECT_EQ(groups[0].displayName, "Busy");
    EXPECT_EQ(groups[1].displayName, "Zoom");
    EXPECT_EQ(groups[2].displayName, "app");
    EXPECT_EQ(groups[3].displayName, "mail");
}

TEST(ProcessGroup, PrimaryFallsBackToBusiestAndEmptyIsSafe)
{
    ProcessGroup g;
    g.appPath = "/Applications/X.app";
    g.members = {usage(1, "/Applications/X.app/Contents/Helpers/a", 5),
                 usage(2, "/Applications/X.app/Contents/MacOS/sub/b", 9),
                 usage(3, "/Applications/X.app/Contents/Helpers/c", 9)};
    EXPECT_EQ(g.primary().pid, 2);
    EXPECT_EQ(ProcessGroup{}.primary(), ProcessUsage{});
    EXPECT_EQ(ProcessGroup{}.helperCount(), 0);
}

TEST(SafetyGate, RefusesInOrder)
{
    EXPECT_TRUE(SafetyGate::canQuit(501, 501, "/Applications/A.app/Contents/MacOS/A", "A", true));
    EXPECT_FALSE(SafetyGate::canQuit(501, 501, "/Applications/A.app/Contents/MacOS/A", "A", false));
    EXPECT_FALSE(SafetyGate::canQuit(0, 501, "/Applications/A.app/Contents/MacOS/A", "A", true));
    EXPECT_FALSE(SafetyGate::canQuit(501, 501, "/Applications/A.app/Contents/MacOS/A", "Dock", true));
    EXPECT_FALSE(SafetyGate::canQuit(501, 501, "/Applications/A.app/Contents/MacOS/Corvane", "A", true));
    EXPECT_FALSE(SafetyGate::canQuit(501, 501, "/usr/bin/A", "A", true));
    EXPECT_EQ(SafetyGate::denyNames().size(), 9u);
}

namespace {

// Installed apps by root, claiming the paths under it or, for a program root, that path.
struct FakeInstalledApps : InstalledApps {
    std::vector<InstalledApp> apps;
    const InstalledApp* owner(const ProcessIdentity& process) const override
    {
        for (const auto& app : apps) {
            if (process.scope == app.root || process.path == app.root || process.path.starts_with(app.root + "/"))
                return &app;
        }
        return nullptr;
    }
};

ProcessUsage started(ProcessUsage process, double startTime, std::string scope = {})
{
    process.startTime = startTime;
    process.appScope = std::move(scope);
    return process;
}

} // namespace

TEST(AppGrouper, ProcessesOfAnInstalledAppFoldIntoItAndBundlesStayBundles)
{
    FakeInstalledApps installed;
    installed.apps = {{"/opt/browser", "Browser", "/opt/browser/browser"},
                      {"org.example.Notes", "Notes", ""},
                      {"/opt/bundled", "Bundled", "/opt/bundled/x"}};
    const auto groups = AppGrouper::group(
        {
            started(usage(10, "/opt/browser/browser", 40), 30),       // a busy helper running the program
            started(usage(11, "/opt/browser/browser", 5), 20),        // the main process, started first
            started(usage(12, "/opt/browser/crashpad", 50), 10),
            started(usage(20, "/app/bin/notes", 3), 1, "org.example.Notes"),
            started(usage(21, "/app/bin/notes-helper", 4), 2, "org.example.Notes"),
            usage(30, "/opt/bundled/Tool.app/Contents/MacOS/Tool", 1),
            usage(40, "/usr/bin/grep", 2),
        },
        501, &installed);
    ASSERT_EQ(groups.size(), 4u);
    const auto& browser = groups[0];
    EXPECT_EQ(browser.id, "/opt/browser");
    EXPECT_EQ(browser.appPath, "/opt/browser");
    EXPECT_EQ(browser.displayName, "Browser");
    EXPECT_EQ(browser.helperCount(), 2);
    EXPECT_DOUBLE_EQ(browser.cpuPercent, 95);
    EXPECT_EQ(browser.primary().pid, 11);
    EXPECT_TRUE(browser.quittable);
    // Without a member running the program, the busiest is the primary.
    const auto& notes = groups[1];
    EXPECT_EQ(notes.id, "org.example.Notes");
    EXPECT_EQ(notes.primary().pid, 21);
    EXPECT_EQ(groups[2].id, "pid:40");
    EXPECT_EQ(groups[3].id, "/opt/bundled/Tool.app");
    EXPECT_EQ(groups[3].displayName, "Tool");
}

TEST(AppGrouper, AnInstalledAppIsQuittableWhereverItLiesUnlessTheSessionOwnsIt)
{
    FakeInstalledApps installed;
    installed.apps = {{"/usr/lib/firefox-esr", "Firefox ESR", "/usr/lib/firefox-esr/firefox-esr"},
                      {"/home/me/apps/corvane", "Corvane", "/home/me/apps/corvane/corvane"},
                      {"/opt/editor", "Editor", "/opt/editor/editor"},
                      {"/usr/bin/openbox", "Openbox", "/usr/bin/openbox", false}};
    const auto groups = AppGrouper::group({usage(1, "/usr/lib/firefox-esr/firefox-esr", 4),
                                           usage(2, "/home/me/apps/corvane/corvane", 3),
                                           usage(3, "/opt/editor/editor", 2, 0),
                                           usage(4, "/usr/bin/openbox", 1)},
                                          501, &installed);
    ASSERT_EQ(groups.size(), 4u);
    // A packaged app under /usr is the user's to quit, as one in /Applications is.
    EXPECT_TRUE(groups[0].quittable);
    // A denied name, another user's app, and one the desktop keeps out of its list.
    EXPECT_FALSE(groups[1].quittable);
    EXPECT_FALSE(groups[2].quittable);
    EXPECT_FALSE(groups[3].quittable);
}

TEST(AppGrouper, AnotherUsersCopyOfAnAppIsAGroupOfItsOwn)
{
    FakeInstalledApps installed;
    installed.apps = {{"/usr/lib/firefox-esr", "Firefox ESR", "/usr/lib/firefox-esr/firefox-esr"}};
    const auto firefox = "/usr/lib/firefox-esr/firefox-esr";
    const auto groups = AppGrouper::group({started(usage(5, firefox, 1, 1001), 10),  // theirs, started first
                                           started(usage(6, firefox, 2, 1001), 11),
                                           started(usage(20, firefox, 80), 50),
                                           started(usage(21, firefox, 10), 51),
                                           usage(30, "/opt/Tool.app/Contents/MacOS/Tool", 1, 1001)},
                                          501, &installed);
    ASSERT_EQ(groups.size(), 3u);
    const auto& mine = groups[0];
    EXPECT_EQ(mine.id, "/usr/lib/firefox-esr");
    EXPECT_EQ(mine.primary().pid, 20);
    EXPECT_DOUBLE_EQ(mine.cpuPercent, 90);
    EXPECT_TRUE(mine.quittable);
    const auto& theirs = groups[1];
    EXPECT_EQ(theirs.id, "uid:1001:/usr/lib/firefox-esr");
    EXPECT_EQ(theirs.displayName, "Firefox ESR");
    EXPECT_EQ(theirs.helperCount(), 1);
    EXPECT_FALSE(theirs.quittable);
    EXPECT_EQ(groups[2].id, "uid:1001:/opt/Tool.app");
    EXPECT_FALSE(groups[2].quittable);
}
