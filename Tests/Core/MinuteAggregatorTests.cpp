#include "Core/MinuteAggregator.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace std::chrono;

namespace {

// 2026-03-07 12:00:00 UTC plus the given seconds.
Date at(int seconds)
{
    return sys_days{2026y / March / 7} + hours(12) + std::chrono::seconds(seconds);
}

const int64_t noon = duration_cast<minutes>((sys_days{2026y / March / 7} + hours(12)).time_since_epoch()).count();

} // namespace

TEST(MinuteAggregator, EmitsAMinuteOnlyWhenTheNextOneStarts)
{
    MinuteAggregator aggregator;
    EXPECT_FALSE(aggregator.add(10, Pressure::elevated, 100, 1000, at(0)));
    EXPECT_FALSE(aggregator.add(30, Pressure::critical, 200, 2000, at(20)));
    EXPECT_FALSE(aggregator.add(20, Pressure::normal, 300, 3000, at(59)));

    const auto record = aggregator.add(50, Pressure::normal, 400, 4000, at(60));
    ASSERT_TRUE(record);
    EXPECT_EQ(*record, (MinuteRecord{noon, 20, 30, 2, 300, 3000, 3}));

    // The new minute starts from scratch with its first sample.
    EXPECT_EQ(aggregator.minute, noon + 1);
    EXPECT_EQ(aggregator.n, 1);
    EXPECT_EQ(aggregator.worst, 0);
    EXPECT_EQ(aggregator.peak, 50);
    const auto next = aggregator.add(0, Pressure::normal, 0, 0, at(600));
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, (MinuteRecord{noon + 1, 50, 50, 0, 400, 4000, 1}));
}

TEST(MinuteAggregator, AClockSetBackClosesTheCurrentMinute)
{
    MinuteAggregator aggregator;
    aggregator.add(40, Pressure::normal, 0, 0, at(120));
    const auto record = aggregator.add(10, Pressure::normal, 0, 0, at(0));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->t, noon + 2);
    EXPECT_EQ(aggregator.minute, noon);
}
