#include "Platform/AppDataFolder.hpp"

#include <gtest/gtest.h>

using namespace corvane;

TEST(AppDataFolder, FollowsXDGDataHomeOnlyWhenItIsAbsolute)
{
    EXPECT_EQ(AppDataFolder::path("/data", "/home/ann"), "/data/Corvane");
    EXPECT_EQ(AppDataFolder::path("", "/home/ann"), "/home/ann/.local/share/Corvane");
    EXPECT_EQ(AppDataFolder::path("relative/data", "/home/ann"), "/home/ann/.local/share/Corvane");
}
