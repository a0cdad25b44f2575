#include "Platform/HardwareInfo.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

using namespace corvane;

TEST(HardwareInfo, ModelPrefersDMIThenTheDeviceTree)
{
    test::FakeTree root;
    EXPECT_EQ(HardwareInfo::machineModel(root.path()), "");
    root.write("sys/firmware/devicetree/base/model", std::string("Board \xff One\0junk", 15));
    root.write("sys/class/dmi/id/product_name", "\n");
    EXPECT_EQ(HardwareInfo::machineModel(root.path()), "Board \xEF\xBF\xBD One");
    root.write("sys/class/dmi/id/product_name", "Desk 5\n");
    EXPECT_EQ(HardwareInfo::machineModel(root.path()), "Desk 5");
}

TEST(HardwareInfo, CPUModelIsTheFirstModelNameLine)
{
    test::FakeTree root;
    EXPECT_EQ(HardwareInfo::cpuModel(root.path()), "");
    root.write("proc/cpuinfo", "processor\t: 0\nmodel\t\t: 85\nmodel name\t: First CPU \nprocessor\t: 1\n"
                               "model name\t: Second CPU\n");
    EXPECT_EQ(HardwareInfo::cpuModel(root.path()), "First CPU");
}

TEST(HardwareInfo, MemoryIsMemTotalOrNothing)
{
    test::FakeTree root;
    EXPECT_EQ(HardwareInfo::physicalMemory(root.path()), 0);
    root.write("proc/meminfo", "MemFree: 5 kB\nMemTotal:  2048 kB\n");
    EXPECT_EQ(HardwareInfo::physicalMemory(root.path()), 2048 * 1024);
    for (const char* total : {"MemTotal: 9223372036854775807 kB\n", "MemTotal: 12\n", "MemTotal: x kB\n",
                              "MemTotal: -4 kB\n"}) {
        root.write("proc/meminfo", total);
        EXPECT_EQ(HardwareInfo::physicalMemory(root.path()), 0) << total;
    }
}
