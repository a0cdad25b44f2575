#include "CorvaneApp/PendingWrites.hpp"
#include "Tests/App/Support/MonitorHarness.hpp"
#include "Tests/App/Support/SignalCounter.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

class MonitorRecording : public ::testing::Test {
protected:
    MonitorRecording() { harness.processes = {MonitorHarness::process(10, "/usr/bin/editor", 0)}; }

    void tickAfter(double seconds)
    {
        harness.clock.advance(seconds);
        monitor.checkNow();
        harness.settle();
    }

    MonitorHarness harness;
    Monitor& monitor = harness.monitor();
};

BackgroundItem item(const std::string& label, std::optional<std::string> program = std::nullopt)
{
    BackgroundItem result;
    result.label = label;
    result.program = std::move(program);
    result.source = "/Library/LaunchAgents/" + label + ".plist";
    return result;
}

} // namespace

TEST_F(MonitorRecording, KeepsTenMinutesOfCPUHistory)
{
    const Date now = harness.clock.now();
    const auto ago = [&](double seconds) {
        return now - std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(seconds));
    };
    monitor.setCpuHistory({{ago(600.001), 1}, {ago(600), 2}, {ago(10), 3}});
    harness.signalReading.cpuLoadPercent = 42;
    tickAfter(0);
    ASSERT_EQ(monitor.cpuHistory().size(), 3u);
    EXPECT_EQ(monitor.cpuHistory()[0].load, 2);
    EXPECT_EQ(monitor.cpuHistory()[2].load, 42);
    EXPECT_EQ(monitor.cpuHistory()[2].date, now);
}

TEST_F(MonitorRecording, WritesOneRecordPerFinishedMinute)
{
    harness.signalReading.cpuLoadPercent = 20;
    harness.memoryReading = {8, 5, 3, 2, 0, 0};  // app + wired + compressed exceed the total
    tickAfter(0);
    harness.signalReading.cpuLoadPercent = 40;
    tickAfter(30);
    EXPECT_TRUE(monitor.usageStore().load().empty());

    // The next minute finishes the first. The record, once taken, is written by a worker
    // of its own, and the app's end waits for it however it comes.
    harness.clock.advance(30);
    monitor.checkNow();
    do
        MonitorHarness::deliverQueuedCalls();
    while (harness.executor.runNext(Executor::Lane::tick) || harness.executor.runNext(Executor::Lane::shared));
    EXPECT_EQ(harness.executor.pending(Executor::Lane::detached), 1u);
    EXPECT_FALSE(PendingWrites::waitUntil(std::chrono::steady_clock::now()));
    harness.settle();
    EXPECT_TRUE(PendingWrites::waitUntil(std::chrono::steady_clock::now()));
    const auto records = monitor.usageStore().load();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].t, minuteOf(VirtualClock::epoch));
    EXPECT_DOUBLE_EQ(records[0].cpu, 30);
    EXPECT_DOUBLE_EQ(records[0].cpuMax, 40);
    EXPECT_EQ(records[0].n, 2);
    EXPECT_EQ(records[0].memUsed, 8);
}

TEST_F(MonitorRecording, MemoryUsedCountsCompressedMemoryAndNeverOverflows)
{
    constexpr int64_t GiB = 1LL << 30;
    const auto recorded = [&](MemoryBreakdown reading) {
        harness.memoryReading = reading;
        tickAfter(60);
        tickAfter(60);  // finishes the minute before
        return monitor.usageStore().load().back().memUsed;
    };
    EXPECT_EQ(recorded({16 * GiB, 4 * GiB, 2 * GiB, 3 * GiB, 1 * GiB, 6 * GiB}), 9 * GiB);
    // Parts too large to add up count as all of memory.
    EXPECT_EQ(recorded({16 * GiB, INT64_MAX, 2 * GiB, 0, 0, 0}), 16 * GiB);
}

TEST_F(MonitorRecording, HistoryOffStillRecordsCPUAndResumesTheUnfinishedMinute)
{
    tickAfter(0);
    monitor.setKeepHistory(false);
    EXPECT_FALSE(harness.settings->keepUsageHistory());
    for (int i = 0; i < 4; ++i)
        tickAfter(30);
    EXPECT_EQ(monitor.cpuHistory().size(), 5u);
    EXPECT_TRUE(monitor.usageStore().load().empty());

    monitor.setKeepHistory(true);
    tickAfter(30);
    const auto records = monitor.usageStore().load();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].t, minuteOf(VirtualClock::epoch));
    EXPECT_EQ(records[0].n, 1);
}

TEST_F(MonitorRecording, KeepHistoryIsReadFromSettingsAndWrittenOnEveryStore)
{
    MonitorHarness off;
    off.settings->setKeepUsageHistory(false);
    EXPECT_FALSE(off.monitor().keepHistory());

    SignalCounter changed(&monitor, &Monitor::keepHistoryChanged);
    harness.settings->setKeepUsageHistory(false);  // written behind the Monitor's back
    monitor.setKeepHistory(true);                  // the Monitor's value: no change, still written
    EXPECT_EQ(changed.count(), 0);
    EXPECT_TRUE(harness.settings->keepUsageHistory());
}

TEST_F(MonitorRecording, RefreshesBackgroundItemsWhenStaleOrForced)
{
    harness.items = {item("com.example.agent")};
    monitor.refreshBackgroundItems(false);
    harness.settle();
    EXPECT_EQ(harness.scans, 1);
    EXPECT_EQ(monitor.backgroundItems().size(), 1u);

    // Hidden, a scan stays fresh for 600 s.
    harness.clock.advance(599);
    monitor.refreshBackgroundItems(false);
    harness.settle();
    EXPECT_EQ(harness.scans, 1);
    monitor.refreshBackgroundItems(true);
    harness.settle();
    EXPECT_EQ(harness.scans, 2);

    // Visible: 60 s, and the tick asks for it.
    monitor.setWindowVisible(true);
    tickAfter(59);
    EXPECT_EQ(harness.scans, 2);
    tickAfter(1);
    EXPECT_EQ(harness.scans, 3);

    // Hiding forgets the items and the time, so the first visible tick scans again.
    SignalCounter itemsChanged(&monitor, &Monitor::backgroundItemsChanged);
    monitor.setWindowVisible(false);
    EXPECT_TRUE(monitor.backgroundItems().empty());
    EXPECT_EQ(itemsChanged.count(), 1);
    monitor.setWindowVisible(true);
    tickAfter(1);
    EXPECT_EQ(harness.scans, 4);
}

TEST_F(MonitorRecording, MarksItemsRunningFromTheJobListElseFromTheLastSample)
{
    harness.items = {item("com.example.listed"), item("com.example.sampled", "/opt/sampled")};
    harness.launchdJobs = {{"com.example.listed", 77}};
    monitor.refreshBackgroundItems(true);
    harness.settle();
    EXPECT_EQ(monitor.backgroundItems()[0].pid, 77);
    EXPECT_FALSE(monitor.backgroundItems()[1].pid.has_value());  // no sample yet

    harness.processes = {MonitorHarness::process(55, "/opt/sampled", 0)};
    tickAfter(0);
    harness.launchctlFails = true;
    monitor.refreshBackgroundItems(true);
    harness.settle();
    EXPECT_FALSE(monitor.backgroundItems()[0].pid.has_value());
    EXPECT_EQ(monitor.backgroundItems()[1].pid, 55);
}

TEST_F(MonitorRecording, OverlappingScansNeverStoreAnOlderResultOverANewerOne)
{
    harness.items = {item("com.example.old")};
    monitor.refreshBackgroundItems(true);
    harness.items = {item("com.example.new")};
    monitor.refreshBackgroundItems(true);
    ASSERT_EQ(harness.executor.pending(), 2u);

    // Each job scans when it runs: run the second (newer) first, then the first.
    harness.executor.runNext(1);
    EXPECT_EQ(monitor.backgroundItems()[0].label, "com.example.new");
    harness.items = {item("com.example.stale")};
    harness.executor.runNext(0);
    EXPECT_EQ(monitor.backgroundItems()[0].label, "com.example.new");
}
