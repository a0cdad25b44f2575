#include "Platform/AppleHardware.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

using namespace corvane;

TEST(AppleHardware, IntelMacNeedsAppleFirmwareOnAnIntelProcessor)
{
    test::FakeTree root;
    root.write("proc/sys/kernel/arch", "x86_64\n");
    EXPECT_FALSE(AppleHardware::isIntelMac(root.path()));  // no DMI at all
    root.write("sys/class/dmi/id/sys_vendor", "LENOVO\n");
    EXPECT_FALSE(AppleHardware::isIntelMac(root.path()));
    root.write("sys/class/dmi/id/sys_vendor", "Apple Inc.\n");
    EXPECT_TRUE(AppleHardware::isIntelMac(root.path()));
    root.write("proc/sys/kernel/arch", "aarch64\n");
    EXPECT_FALSE(AppleHardware::isIntelMac(root.path()));
}
