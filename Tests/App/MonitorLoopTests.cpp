#include "Tests/App/Support/MonitorHarness.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

TEST(MonitorLoop, FirstTickRunsAtOnceThenEveryThirtySecondsHidden)
{
    MonitorHarness harness;
    harness.processes = {MonitorHarness::process(10, "/usr/bin/editor", 1.0, 5)};
    auto& monitor = harness.monitor();
    monitor.start();
    harness.settle();
    EXPECT_EQ(harness.samples, 1);
    EXPECT_TRUE(monitor.lastChecked().has_value());
    EXPECT_EQ(harness.scheduler.nextDelay(), 30.0);
}
