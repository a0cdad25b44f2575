#include "Core/UsageBuckets.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace corvane;
using namespace std::chrono;

namespace {

constexpr sys_days march7 = sys_days{2026y / March / 7};
const int64_t midnight = duration_cast<minutes>(march7.time_since_epoch()).count();

MinuteRecord record(int64_t t, double cpu, int pressure, int64_t swap)
{
    return MinuteRecord{t, cpu, cpu, pressure, swap, 0, 1};
}

} // namespace

TEST(UsageBuckets, HourlyBucketsFollowWholeUTCHours)
{
    const std::vector<MinuteRecord> records{record(midnight + 60, 40, 0, 7), record(midnight + 59, 30, 2, 5),
                                            record(midnight, 10, 0, 9), record(midnight + 1, 20, 1, 3)};
    EXPECT_EQ(UsageBuckets::bucket(records, 60),
              (std::vector<UsageBucket>{{march7, 20, 2.0 / 3, 9, 3}, {march7 + hours(1), 40, 0, 7, 1}}));
}

TEST(UsageBuckets, DailyBucketsStartAtMidnightUTCAndSkipEmptyDays)
{
    const std::vector<MinuteRecord> records{record(midnight + 1439, 50, 0, -1), record(midnight + 3 * 1440 + 5, 10, 0, 0)};
    const auto buckets = UsageBuckets::bucket(records, 1440);
    ASSERT_EQ(buckets.size(), 2u);
    EXPECT_EQ(buckets[0], (UsageBucket{march7, 50, 0, -1, 1}));
    EXPECT_EQ(buckets[1].start, march7 + days(3));
}

TEST(UsageBuckets, NoRecordsNoBucketsAndALengthMustBePositive)
{
    EXPECT_TRUE(UsageBuckets::bucket({}, 60).empty());
    EXPECT_THROW(UsageBuckets::bucket({record(midnight, 1, 0, 0)}, 0), std::invalid_argument);
}
