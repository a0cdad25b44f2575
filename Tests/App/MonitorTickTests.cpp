#include "Core/Diagnosis.hpp"
#include "Tests/App/Support/MonitorHarness.hpp"
#include "Tests/App/Support/SignalCounter.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr auto editorPath = "/usr/bin/editor";
constexpr auto spotlightPath = "/System/Library/Frameworks/CoreServices.framework/mds_stores";

class MonitorTick : public ::testing::Test {
protected:
    // One tick with the given table, `seconds` after the previous one.
    void tickAfter(double seconds, std::vector<ProcessSample> table)
    {
        harness.clock.advance(seconds);
        harness.processes = std::move(table);
        monitor.checkNow();
        harness.settle();
    }

    MonitorHarness harness;
    Monitor& monitor = harness.monitor();
};

} // namespace

TEST_F(MonitorTick, SmoothsOverTheLastThreeTicks)
{
    tickAfter(0, {MonitorHarness::process(10, editorPath, 100, 10)});
    ASSERT_EQ(monitor.groups().size(), 1u);
    EXPECT_DOUBLE_EQ(monitor.groups()[0].cpuPercent, 10);  // one sample: the table's own percent
    tickAfter(30, {MonitorHarness::process(10, editorPath, 106, 0)});   // 20 %
    tickAfter(30, {MonitorHarness::process(10, editorPath, 115, 0)});   // 30 %
    EXPECT_DOUBLE_EQ(monitor.groups()[0].cpuPercent, 20);
    tickAfter(30, {MonitorHarness::process(10, editorPath, 127, 0)});   // 40 %
    EXPECT_DOUBLE_EQ(monitor.groups()[0].cpuPercent, 30);  // ticks 2 to 4
    EXPECT_DOUBLE_EQ(harness.lastTotalCPU, 40);            // signals get this tick's unsmoothed sum
}

TEST_F(MonitorTick, FoldsProcessesIntoTheInstalledAppsItIsGiven)
{
    struct OneApp : InstalledApps {
        InstalledApp app{"/opt/editor", "Editor", "/opt/editor/editor"};
        const InstalledApp* owner(const ProcessIdentity& process) const override
        {
            return process.path.starts_with("/opt/editor/") ? &app : nullptr;
        }
    };
    harness.installedApps = std::make_shared<OneApp>();
    tickAfter(0, {MonitorHarness::process(10, "/opt/editor/editor", 0, 5),
                  MonitorHarness::process(11, "/opt/editor/spell", 0, 5), MonitorHarness::process(12, editorPath, 0)});
    const auto editor = monitor.group(std::string("/opt/editor"));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->displayName, "Editor");
    EXPECT_EQ(editor->helperCount(), 1);
    EXPECT_TRUE(monitor.group(std::string("pid:12")));
}

TEST_F(MonitorTick, ReadsFootprintsOnlyForTheUsersOwnProcesses)
{
    auto other = MonitorHarness::process(20, "/usr/sbin/daemon", 0);
    other.uid = 0;
    tickAfter(0, {MonitorHarness::process(10, editorPath, 0), other});
    EXPECT_EQ(monitor.usage(10)->memoryBytes, 10 * 1024);
    EXPECT_EQ(monitor.usage(20)->memoryBytes, other.rssBytes);
    EXPECT_FALSE(monitor.usage(30).has_value());
    EXPECT_EQ(monitor.group(std::string("pid:20"))->displayName, "daemon");
    EXPECT_FALSE(monitor.group(std::nullopt).has_value());
    EXPECT_FALSE(monitor.group(std::string("pid:99")).has_value());
}

TEST_F(MonitorTick, TracksSinceWhenSpotlightIsBusy)
{
    tickAfter(0, {MonitorHarness::process(5, spotlightPath, 100, 49.9)});
    EXPECT_FALSE(monitor.spotlightBusySince().has_value());

    // A fresh monitor, so the 49.9 % sample does not weigh on the smoothing.
    MonitorHarness fresh;
    auto& busy = fresh.monitor();
    const auto tick = [&](double seconds, double cpuTime, double psCPU) {
        fresh.clock.advance(seconds);
        fresh.processes = {MonitorHarness::process(5, spotlightPath, cpuTime, psCPU)};
        busy.checkNow();
        fresh.settle();
    };
    tick(0, 100, 50);
    const Date start = fresh.clock.now();
    EXPECT_EQ(busy.spotlightBusySince(), start);
    tick(30, 115, 0);  // 50 %
    EXPECT_EQ(busy.spotlightBusySince(), start);
    tick(30, 115, 0);  // smoothed 33 %
    EXPECT_FALSE(busy.spotlightBusySince().has_value());
}

TEST_F(MonitorTick, KeepsAStuckAppWhileItRunsAndClearsItBeforeTheDiagnosisOnceGone)
{
    monitor.setStuckApp("editor");
    tickAfter(0, {MonitorHarness::process(10, editorPath, 0)});
    EXPECT_EQ(monitor.stuckApp(), "editor");
    ASSERT_FALSE(monitor.result().findings.empty());
    EXPECT_EQ(monitor.result().findings[0].kind, FindingKind::stuckApp);

    tickAfter(30, {MonitorHarness::process(11, "/usr/bin/shell", 0)});
    EXPECT_FALSE(monitor.stuckApp().has_value());
    for (const auto& finding : monitor.result().findings)
        EXPECT_NE(finding.kind, FindingKind::stuckApp);
}

TEST_F(MonitorTick, ExplainsGroupsOnlyWhileTheWindowIsVisible)
{
    tickAfter(0, {MonitorHarness::process(10, editorPath, 0)});
    EXPECT_TRUE(monitor.explanations().empty());
    // Before any visible tick the catalog answers.
    EXPECT_EQ(monitor.explanation(monitor.groups()[0])->title, "Part of macOS");

    monitor.setWindowVisible(true);
    monitor.checkNow();
    harness.settle();
    ASSERT_EQ(monitor.explanations().size(), 1u);
    EXPECT_TRUE(monitor.explanations().contains("pid:10"));

    monitor.setWindowVisible(false);
    EXPECT_TRUE(monitor.explanations().empty());
}

TEST_F(MonitorTick, UsesTheVisibilityOfItsStartForExplanationsAndOfItsEndForBackgroundItems)
{
    harness.processes = {MonitorHarness::process(10, editorPath, 0)};
    monitor.checkNow();
    MonitorHarness::deliverQueuedCalls();  // started hidden
    monitor.setWindowVisible(true);
    harness.settle();
    EXPECT_TRUE(monitor.explanations().empty());
    EXPECT_EQ(harness.scans, 1);

    // Started visible, hidden before it ended: the fresh map is stored again, no scan.
    MonitorHarness other;
    auto& shown = other.monitor();
    other.processes = {MonitorHarness::process(10, editorPath, 0)};
    shown.setWindowVisible(true);
    shown.checkNow();
    MonitorHarness::deliverQueuedCalls();
    shown.setWindowVisible(false);
    other.settle();
    EXPECT_EQ(shown.explanations().size(), 1u);
    EXPECT_EQ(other.scans, 0);
}

TEST_F(MonitorTick, PublishesEachChangeOnceAndNothingForAnUnchangedTick)
{
    SignalCounter groups(&monitor, &Monitor::groupsChanged);
    SignalCounter result(&monitor, &Monitor::resultChanged);
    SignalCounter checked(&monitor, &Monitor::lastCheckedChanged);
    SignalCounter history(&monitor, &Monitor::cpuHistoryChanged);
    tickAfter(0, {MonitorHarness::process(10, editorPath, 0)});
    EXPECT_EQ(groups.take(), 1);
    EXPECT_EQ(checked.take(), 1);
    EXPECT_EQ(history.take(), 1);
    result.take();

    tickAfter(30, {MonitorHarness::process(10, editorPath, 0)});
    EXPECT_EQ(groups.count(), 0);
    EXPECT_EQ(result.count(), 0);
    EXPECT_EQ(checked.count(), 1);
    EXPECT_EQ(history.count(), 1);  // the history notifies on every store
    EXPECT_TRUE(monitor.signals().has_value());
    EXPECT_TRUE(monitor.memory().has_value());
}
