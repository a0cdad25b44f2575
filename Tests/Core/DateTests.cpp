#include "Core/Date.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace std::chrono_literals;

TEST(Date, SecondsBetweenKeepsTheClocksPrecisionAndNeverOverflows)
{
    const Date now(1'800'000'000s);
    EXPECT_EQ(secondsBetween(now, now + 250ms), 0.25);
    EXPECT_EQ(secondsBetween(now + 1ns, now), -1e-9);
    // 1716 and 2027 lie further apart than the clock's nanoseconds can count.
    const Date early(-8'000'000'000s);
    EXPECT_DOUBLE_EQ(secondsBetween(early, now), 9.8e9);
    EXPECT_DOUBLE_EQ(secondsBetween(now, early), -9.8e9);
    EXPECT_DOUBLE_EQ(secondsBetween(Date::min(), Date::max()), 2 * 9.223372036854775807e9);
}
