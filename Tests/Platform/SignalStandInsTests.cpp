#include "Core/Numbers.hpp"
#include "Platform/DiskCapacity.hpp"
#include "Platform/MemInfo.hpp"
#include "Platform/MemoryPressure.hpp"
#include "Platform/Processors.hpp"
#include "Platform/ThermalZones.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <limits>

using namespace corvane;

TEST(MemoryPressure, StallLevelFromTenSecondAverages)
{
    const auto psi = [](const char* some, const char* full) {
        return std::string("some avg10=") + some + " avg60=0.00 avg300=0.00 total=1\nfull avg10=" + full
               + " avg60=0.00 avg300=0.00 total=1\n";
    };
    EXPECT_EQ(MemoryPressure::stallLevel(psi("0.00", "0.00")), 1);
    EXPECT_EQ(MemoryPressure::stallLevel(psi("9.99", "9.99")), 1);
    EXPECT_EQ(MemoryPressure::stallLevel(psi("10.00", "0.00")), 2);
    EXPECT_EQ(MemoryPressure::stallLevel(psi("50.00", "10.00")), 4);
    EXPECT_EQ(MemoryPressure::stallLevel(psi("nan", "inf")), 1);
    EXPECT_EQ(MemoryPressure::stallLevel(""), 1);
}

TEST(MemoryPressure, HeadroomLevelFromAvailableShare)
{
    EXPECT_EQ(MemoryPressure::headroomLevel(4, 100), 4);
    EXPECT_EQ(MemoryPressure::headroomLevel(5, 100), 2);
    EXPECT_EQ(MemoryPressure::headroomLevel(14, 100), 2);
    EXPECT_EQ(MemoryPressure::headroomLevel(15, 100), 1);
    EXPECT_EQ(MemoryPressure::headroomLevel(0, 0), 1);
}

TEST(MemoryPressure, TakesTheHigherOfBothAndNormalWhenNothingIsReadable)
{
    test::FakeTree root;
    EXPECT_EQ(MemoryPressure::level(root.path(), MemInfo::read(root.path())), 1);

    root.write("proc/pressure/memory", "some avg10=12.00 avg60=0 avg300=0 total=0\nfull avg10=1.00 avg60=0 avg300=0 total=0\n");
    root.write("proc/meminfo", "MemTotal: 1000 kB\nMemAvailable: 500 kB\n");
    EXPECT_EQ(MemoryPressure::level(root.path(), MemInfo::read(root.path())), 2);

    root.write("proc/meminfo", "MemTotal: 1000 kB\nMemAvailable: 40 kB\n");
    EXPECT_EQ(MemoryPressure::level(root.path(), MemInfo::read(root.path())), 4);

    root.write("proc/pressure/memory", "some avg10=0.00 avg60=0 avg300=0 total=0\n");
    root.write("proc/meminfo", "MemTotal: 1000 kB\n");  // no MemAvailable
    EXPECT_EQ(MemoryPressure::level(root.path(), MemInfo::read(root.path())), 1);
}

TEST(ThermalZones, ZoneStateFromTripPoints)
{
    const ThermalZones::Zone zone{0, {{"active", 50000}, {"passive", 90000}, {"passive", 80000}, {"hot", 95000},
                                      {"critical", 105000}}};
    const auto at = [&](int64_t milliCelsius) {
        auto z = zone;
        z.milliCelsius = milliCelsius;
        return ThermalZones::zoneState(z);
    };
    EXPECT_EQ(at(79999), 0);
    EXPECT_EQ(at(80000), 1);  // the lowest passive trip
    EXPECT_EQ(at(95000), 2);
    EXPECT_EQ(at(99999), 2);
    EXPECT_EQ(at(100000), 3);  // within 5 °C of critical
    EXPECT_EQ(ThermalZones::zoneState({40000, {}}), 0);
    // Placeholder trips at 0 °C or below never fire.
    EXPECT_EQ(ThermalZones::zoneState({30000, {{"critical", 0}, {"hot", -273000}, {"passive", 0}}}), 0);
}

TEST(ThermalZones, HighestZoneWinsAndNoZonesIsNominal)
{
    test::FakeTree root;
    EXPECT_EQ(ThermalZones::state(root.path()), 0);

    const auto zone = [&](const std::string& name, const char* temp, const ThermalZones::Zone& trips) {
        const std::string folder = "sys/class/thermal/" + name + "/";
        root.write(folder + "temp", temp);
        for (std::size_t i = 0; i < trips.trips.size(); ++i) {
            const std::string prefix = folder + "trip_point_" + Numbers::toText(i);
            root.write(prefix + "_type", trips.trips[i].type + "\n");
            root.write(prefix + "_temp", Numbers::toText(trips.trips[i].milliCelsius) + "\n");
        }
    };
    zone("thermal_zone0", "85000\n", {0, {{"passive", 80000}}});
    zone("thermal_zone1", "60000\n", {0, {{"hot", 90000}}});
    root.write("sys/class/thermal/cooling_device0/cur_state", "3\n");
    EXPECT_EQ(ThermalZones::state(root.path()), 1);

    zone("thermal_zone2", "101000\n", {0, {{"active", 60000}, {"critical", 105000}}});
    root.mkdir("sys/class/thermal/thermal_zone3");  // a sensor that cannot be read
    EXPECT_EQ(ThermalZones::state(root.path()), 3);
}

TEST(Processors, CountsKernelCPULists)
{
    EXPECT_EQ(Processors::countList("0-7\n"), 8);
    EXPECT_EQ(Processors::countList("0"), 1);
    EXPECT_EQ(Processors::countList("0-1,4,6-7"), 5);
    EXPECT_FALSE(Processors::countList(""));
    EXPECT_FALSE(Processors::countList("3-1"));
    EXPECT_FALSE(Processors::countList("a-b"));
    // Lists that name a processor twice.
    for (const char* twice : {"0,0", "0-3,2", "0-3,3-5", "4-5,0-4"})
        EXPECT_FALSE(Processors::countList(twice)) << twice;

    test::FakeTree root;
    root.write("sys/devices/system/cpu/online", "0-2\n");
    EXPECT_EQ(Processors::onlineCount(root.path()), 3);
    EXPECT_GE(Processors::onlineCount(root.path("missing")), 1);  // the C library's own count
}

TEST(DiskCapacity, BlocksTimesFragmentSizeWithoutOverflow)
{
    EXPECT_EQ(DiskCapacity::fromBlocks(10, 40, 4096), (DiskCapacity{40960, 163840}));
    const uint64_t huge = std::numeric_limits<uint64_t>::max() / 2;
    EXPECT_EQ(DiskCapacity::fromBlocks(10, huge, 4096), (DiskCapacity{40960, 0}));
    EXPECT_EQ(DiskCapacity::fromBlocks(uint64_t(1) << 52, 1, 4096), (DiskCapacity{0, 4096}));  // 2^64 wraps

    const auto live = DiskCapacity::read("/");
    EXPECT_GT(live.totalBytes, 0);
    EXPECT_LE(live.freeBytes, live.totalBytes);
    EXPECT_EQ(DiskCapacity::read("/no/such/volume"), DiskCapacity{});
}
