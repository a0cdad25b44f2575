#include "Tests/App/Support/MonitorHarness.hpp"

#include "Tests/App/Support/SignalCounter.hpp"

#include <fstream>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

class MonitorLoop : public ::testing::Test {
protected:
    MonitorLoop() { harness.processes = {MonitorHarness::process(10, "/usr/bin/editor", 1.0, 5)}; }

    Monitor& started()
    {
        auto& monitor = harness.monitor();
        monitor.start();
        harness.settle();
        return monitor;
    }

    // Advances virtual time and lets every tick that falls due finish.
    void advance(double seconds)
    {
        harness.scheduler.advance(seconds);
        harness.settle();
    }

    MonitorHarness harness;
};

} // namespace

TEST_F(MonitorLoop, TicksAtOnceThenAtTheIntervalOfTheVisibilityAndPowerState)
{
    auto& monitor = started();
    EXPECT_EQ(harness.samples, 1);
    EXPECT_EQ(monitor.lastChecked(), harness.clock.now());
    EXPECT_EQ(harness.scheduler.nextDelay(), 30.0);

    advance(29.9);
    EXPECT_EQ(harness.samples, 1);
    advance(0.1);
    EXPECT_EQ(harness.samples, 2);

    // Showing the window restarts the loop: a tick now, then every 3 s.
    monitor.setWindowVisible(true);
    harness.settle();
    EXPECT_EQ(harness.samples, 3);
    EXPECT_EQ(harness.scheduler.pending(), 1u);
    advance(3);
    advance(3);
    EXPECT_EQ(harness.samples, 5);

    // Hidden in low power: 60 s. The probe is read on the worker, so the tick that
    // follows the change already sees it.
    harness.lowPower = true;
    monitor.setWindowVisible(false);
    harness.settle();
    EXPECT_EQ(harness.samples, 6);
    EXPECT_EQ(harness.scheduler.nextDelay(), 60.0);

    // The popover counts as visible.
    monitor.setMenuOpen(true);
    harness.settle();
    EXPECT_EQ(harness.samples, 7);
    EXPECT_EQ(harness.scheduler.nextDelay(), 3.0);
    EXPECT_EQ(harness.scheduler.pending(), 1u);
}

TEST_F(MonitorLoop, StoringTheSameVisibilityRestartsNothing)
{
    auto& monitor = started();
    monitor.setWindowVisible(false);
    monitor.setMenuOpen(false);
    harness.settle();
    EXPECT_EQ(harness.samples, 1);
    EXPECT_EQ(harness.scheduler.requestedDelays().size(), 1u);
}

TEST_F(MonitorLoop, StartsOnceAndNeverWithoutACatalog)
{
    auto& monitor = started();
    monitor.start();
    harness.settle();
    EXPECT_EQ(harness.samples, 1);
    EXPECT_EQ(harness.sleepWatchersBuilt, 1);
    EXPECT_EQ(harness.macReads, 1);
    EXPECT_EQ(harness.scheduler.pending(), 1u);

    MonitorHarness broken;
    auto& orphan = broken.monitor(false);
    orphan.start();
    orphan.setWindowVisible(true);
    orphan.checkNow();
    broken.settle();
    EXPECT_EQ(orphan.catalog(), nullptr);
    EXPECT_EQ(broken.samples, 0);
    EXPECT_EQ(broken.sleepWatchersBuilt, 0);
    EXPECT_EQ(broken.macReads, 0);
    EXPECT_FALSE(orphan.isRunning());
    EXPECT_FALSE(orphan.explanation(ProcessGroup{"pid:1", "x", std::nullopt, {{}}, 0, 0, false}).has_value());
}

TEST_F(MonitorLoop, ReadsTheMacOnceAndPrunesOldHistory)
{
    harness.macReading.name = "ThinkPad X1";
    const auto usage = std::filesystem::path(harness.folder.filePath(QStringLiteral("usage")).toStdString());
    std::filesystem::create_directories(usage);
    std::ofstream(usage / "usage-2020-01-01.jsonl") << "\n";
    auto& monitor = started();
    EXPECT_EQ(monitor.mac()->name, "ThinkPad X1");
    EXPECT_FALSE(std::filesystem::exists(usage / "usage-2020-01-01.jsonl"));
}

TEST_F(MonitorLoop, PauseSkipsTicksButKeepsTheScheduleAndResumeChecksAtOnce)
{
    auto& monitor = started();
    SignalCounter paused(&monitor, &Monitor::isPausedChanged);
    monitor.togglePause();
    EXPECT_TRUE(monitor.isPaused());
    advance(30);
    advance(30);
    EXPECT_EQ(harness.samples, 1);
    EXPECT_EQ(harness.scheduler.pending(), 1u);

    // Check now still runs while paused.
    monitor.checkNow();
    harness.settle();
    EXPECT_EQ(harness.samples, 2);

    monitor.togglePause();
    harness.settle();
    EXPECT_EQ(harness.samples, 3);
    EXPECT_EQ(paused.count(), 2);
    advance(30);
    EXPECT_EQ(harness.samples, 4);
}

TEST_F(MonitorLoop, WhilePausedTheIntervalStillFollowsLowPowerMode)
{
    auto& monitor = started();
    monitor.togglePause();
    harness.lowPower = true;
    advance(30);
    EXPECT_EQ(harness.scheduler.nextDelay(), 60.0);
    harness.lowPower = false;
    advance(60);
    EXPECT_EQ(harness.scheduler.nextDelay(), 30.0);
    EXPECT_EQ(harness.samples, 1);
}

// Shared workers may all be held for seconds (a quit waiting for its app, a folder walk);
// the loop's work has its own lane.
TEST_F(MonitorLoop, TicksRunWhileEverySharedWorkerIsHeld)
{
    auto& monitor = harness.monitor();
    QObject slowJobs;
    for (int i = 0; i < 4; ++i)
        harness.executor.run(&slowJobs, [] {});
    monitor.setWindowVisible(true);
    monitor.start();
    for (int due = 0; due < 2; ++due) {
        if (due > 0)
            harness.scheduler.advance(3);
        MonitorHarness::deliverQueuedCalls();
        while (harness.executor.runNext(Executor::Lane::tick))
            MonitorHarness::deliverQueuedCalls();
        EXPECT_EQ(harness.samples, due + 1);
        EXPECT_EQ(monitor.lastChecked(), harness.clock.now());
    }
    EXPECT_EQ(harness.scans, 1);  // the scan a visible tick waits for
    const auto shared = harness.executor.pending(Executor::Lane::shared);
    EXPECT_GE(shared, 4u);

    // A screen's forced rescan is no tick's: it waits with the other slow jobs.
    monitor.refreshBackgroundItems(true);
    EXPECT_EQ(harness.executor.pending(Executor::Lane::tick), 0u);
    EXPECT_EQ(harness.executor.pending(Executor::Lane::shared), shared + 1);
}

TEST_F(MonitorLoop, SleepStopsTheLoopAndWakeStartsAgainWithoutThePreviousSample)
{
    auto& monitor = started();
    ASSERT_NE(harness.sleepWatcher, nullptr);
    Q_EMIT harness.sleepWatcher->willSleep();
    EXPECT_FALSE(monitor.isRunning());
    advance(600);
    EXPECT_EQ(harness.samples, 1);

    // After wake the CPU comes from the table's own percent again, not from a delta
    // against the sample taken before sleep.
    harness.processes = {MonitorHarness::process(10, "/usr/bin/editor", 601.0, 7)};
    Q_EMIT harness.sleepWatcher->didWake();
    harness.settle();
    EXPECT_EQ(harness.samples, 2);
    ASSERT_EQ(monitor.groups().size(), 1u);
    EXPECT_DOUBLE_EQ(monitor.groups()[0].cpuPercent, 7.0);
    EXPECT_EQ(harness.scheduler.nextDelay(), 30.0);
}

TEST_F(MonitorLoop, WakeWithoutSleepForgetsTheSampleButKeepsTheLoop)
{
    auto& monitor = started();
    Q_EMIT harness.sleepWatcher->didWake();
    harness.settle();
    EXPECT_EQ(harness.samples, 1);
    harness.processes = {MonitorHarness::process(10, "/usr/bin/editor", 31.0, 4)};
    advance(30);
    EXPECT_DOUBLE_EQ(monitor.groups()[0].cpuPercent, 4.0);
}

TEST_F(MonitorLoop, TicksNeverOverlap)
{
    auto& monitor = harness.monitor();
    monitor.setMac(MacInfo{});  // no Mac read in the queue: only ticks
    monitor.start();
    MonitorHarness::deliverQueuedCalls();
    ASSERT_EQ(harness.executor.pending(), 1u);
    monitor.checkNow();
    monitor.tick();
    MonitorHarness::deliverQueuedCalls();
    EXPECT_EQ(harness.executor.pending(), 1u);
    harness.settle();
    EXPECT_EQ(harness.samples, 1);
    // The flag is cleared: the next tick runs.
    monitor.checkNow();
    harness.settle();
    EXPECT_EQ(harness.samples, 2);
}

TEST_F(MonitorLoop, RestartDuringATickLeavesOneLoopWhoseFirstRealTickIsAnIntervalLater)
{
    auto& monitor = harness.monitor();
    monitor.setMac(MacInfo{});
    monitor.start();
    MonitorHarness::deliverQueuedCalls();
    ASSERT_EQ(harness.executor.pending(), 1u);  // the old loop's tick is in flight

    monitor.setWindowVisible(true);
    MonitorHarness::deliverQueuedCalls();
    // The new loop's first tick returned at once and the new loop sleeps 3 s.
    EXPECT_EQ(harness.executor.pending(), 1u);
    EXPECT_EQ(harness.scheduler.pending(), 1u);

    // The old tick ends: its loop was cancelled, so it schedules nothing.
    harness.settle();
    EXPECT_EQ(harness.samples, 1);
    EXPECT_EQ(harness.scheduler.pending(), 1u);
    EXPECT_EQ(harness.scheduler.nextDelay(), 3.0);
    advance(3);
    EXPECT_EQ(harness.samples, 2);
    EXPECT_EQ(harness.scheduler.pending(), 1u);
}

TEST_F(MonitorLoop, AFailedTickChangesOnlyTheErrorAndTheNextMeasuresAgainstTheLastGoodSample)
{
    harness.processes = {MonitorHarness::process(10, "/usr/bin/editor", 10.0, 5)};
    auto& monitor = started();
    const auto groups = monitor.groups();
    const auto result = monitor.result();
    const auto checked = monitor.lastChecked();
    const auto points = monitor.cpuHistory().size();

    harness.sampleFails = true;
    SignalCounter groupsSpy(&monitor, &Monitor::groupsChanged);
    SignalCounter historySpy(&monitor, &Monitor::cpuHistoryChanged);
    advance(30);
    EXPECT_EQ(monitor.error(), "Couldn't read processes. Retrying.");
    EXPECT_EQ(monitor.groups(), groups);
    EXPECT_EQ(monitor.result(), result);
    EXPECT_EQ(monitor.lastChecked(), checked);
    EXPECT_EQ(monitor.cpuHistory().size(), points);
    EXPECT_EQ(groupsSpy.count(), 0);
    EXPECT_EQ(historySpy.count(), 0);
    EXPECT_EQ(harness.scheduler.pending(), 1u);  // the loop goes on

    // 60 s after the last good sample the process used 30 s more: 50 %.
    harness.sampleFails = false;
    harness.processes = {MonitorHarness::process(10, "/usr/bin/editor", 40.0, 5)};
    advance(30);
    EXPECT_FALSE(monitor.error().has_value());
    ASSERT_EQ(monitor.groups().size(), 1u);
    // Smoothed over the two good ticks: (5 + 50) / 2.
    EXPECT_DOUBLE_EQ(monitor.groups()[0].cpuPercent, 27.5);
}
