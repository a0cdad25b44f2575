#include "Core/SignalReader.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

using namespace corvane;

TEST(SignalReader, ReadsEverySignalUnderARoot)
{
    test::FakeTree root;
    root.write("sys/devices/system/cpu/online", "0-3\n");
    root.write("proc/pressure/memory", "some avg10=0.00 avg60=0 avg300=0 total=0\nfull avg10=25.00 avg60=0 avg300=0 total=0\n");
    root.write("proc/meminfo", "MemTotal:  1000 kB\nMemAvailable:  900 kB\nSwapTotal:  300 kB\nSwapFree:  100 kB\n");
    root.write("proc/uptime", "7200.25 1.00\n");  // no boot time in stat: the kernel's uptime stands in
    root.write("sys/class/thermal/thermal_zone0/temp", "96000\n");
    root.write("sys/class/thermal/thermal_zone0/trip_point_0_type", "hot\n");
    root.write("sys/class/thermal/thermal_zone0/trip_point_0_temp", "95000\n");

    const SystemSignals signals = SignalReader::read(250, root.path());
    EXPECT_EQ(signals.coreCount, 4);
    EXPECT_DOUBLE_EQ(signals.cpuLoadPercent, 62.5);
    EXPECT_EQ(signals.pressure, Pressure::critical);
    EXPECT_EQ(signals.swapUsedBytes, 200 * 1024);
    EXPECT_DOUBLE_EQ(signals.uptime, 7200.25);
    EXPECT_EQ(signals.thermal, Thermal::hot);
    EXPECT_EQ(signals.memoryTotalBytes, 1000 * 1024);
    EXPECT_GT(signals.diskTotalBytes, 0);  // the volume that holds the fake root
}

TEST(SignalReader, UnreadableCountersBecomeZeroOrNormal)
{
    test::FakeTree root;
    root.write("sys/devices/system/cpu/online", "0-1\n");
    const SystemSignals signals = SignalReader::read(1000, root.path());
    EXPECT_EQ(signals.pressure, Pressure::normal);
    EXPECT_EQ(signals.swapUsedBytes, 0);
    EXPECT_EQ(signals.uptime, 0.0);
    EXPECT_EQ(signals.thermal, Thermal::normal);
    EXPECT_EQ(signals.memoryTotalBytes, 0);
    EXPECT_EQ(signals.cpuLoadPercent, 100.0);
}

TEST(SignalReader, BootTimeComesBeforeTheUptimeFile)
{
    test::FakeTree root;
    root.write("proc/stat", "cpu 1 2 3\nbtime 1000\n");
    root.write("proc/uptime", "5.00 1.00\n");
    EXPECT_GT(SignalReader::read(0, root.path()).uptime, 1.0e9);  // now less 1000 s after 1970
}

TEST(SignalReader, LiveMachineLooksSane)
{
    const SystemSignals signals = SignalReader::read(0);
    EXPECT_GE(signals.coreCount, 1);
    EXPECT_GT(signals.memoryTotalBytes, 0);
    EXPECT_GT(signals.diskTotalBytes, 0);
    EXPECT_GT(signals.uptime, 0.0);
    EXPECT_EQ(signals.cpuLoadPercent, 0.0);
}
