#include "Platform/LowPowerMode.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

using namespace corvane;

TEST(LowPowerMode, OnlyTheLowPowerProfileCounts)
{
    test::FakeTree root;
    EXPECT_FALSE(Platform::lowPowerModeEnabled(root.path()));
    root.write("sys/firmware/acpi/platform_profile", "balanced\n");
    EXPECT_FALSE(Platform::lowPowerModeEnabled(root.path()));
    root.write("sys/firmware/acpi/platform_profile", "low-power\n");
    EXPECT_TRUE(Platform::lowPowerModeEnabled(root.path()));
}
