#include "Core/UpgradeAdvisor.hpp"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

constexpr int64_t GiB = int64_t{1} << 30;
constexpr int64_t day = 20'000;  // a UTC day number, as minute / 1440

// `count` quiet records, `step` minutes apart from midnight UTC.
std::vector<MinuteRecord> history(int count, int step = 1)
{
    std::vector<MinuteRecord> records;
    for (int i = 0; i < count; ++i)
        records.push_back({day * 1440 + int64_t{i} * step, 10, 20, 0, 0, 0, 20});
    return records;
}

UpgradeVerdict bottlenecks(std::vector<Bottleneck> list, int hours)
{
    return {UpgradeVerdict::Bottlenecks{std::move(list), hours}};
}

} // namespace

TEST(UpgradeAdvisor, RecommendsTheFirstStepAtLeastTwiceTheMemory)
{
    const std::vector<std::pair<int64_t, int>> cases{{0, 16},   {8, 16},   {9, 24},   {12, 24},  {13, 32},
                                                     {16, 32},  {18, 36},  {19, 48},  {64, 128}, {96, 192},
                                                     {97, 256}, {128, 256}, {200, 256}, {int64_t{1} << 62, 256}};
    for (const auto& [current, recommended] : cases)
        EXPECT_EQ(UpgradeAdvisor::recommendedMemoryGB(current), recommended) << current;
}

TEST(UpgradeAdvisor, NeedsADaysWorthOfRecordsFromTwoDays)
{
    EXPECT_EQ(UpgradeAdvisor::evaluate({}, 16 * GiB, 1), (UpgradeVerdict{UpgradeVerdict::NotEnoughData{0}}));
    EXPECT_EQ(UpgradeAdvisor::evaluate(history(1439, 3), 16 * GiB, 1),
              (UpgradeVerdict{UpgradeVerdict::NotEnoughData{23}}));
    EXPECT_EQ(UpgradeAdvisor::evaluate(history(1440), 16 * GiB, 1),
              (UpgradeVerdict{UpgradeVerdict::NotEnoughData{24}}));
    EXPECT_EQ(UpgradeAdvisor::evaluate(history(1441), 16 * GiB, 1), (UpgradeVerdict{UpgradeVerdict::Healthy{24}}));
}

TEST(UpgradeAdvisor, MemoryPressureFromFifteenPercentOfMinutes)
{
    auto records = history(2000);
    for (int i = 0; i < 299; ++i)
        records[i * 5].pressure = i % 2 + 1;
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 16 * GiB, 1), (UpgradeVerdict{UpgradeVerdict::Healthy{33}}));

    records[1].pressure = 1;
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 16 * GiB, 1), bottlenecks({{Bottleneck::Memory{32, 0.15}}}, 33));
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 8 * GiB, 1), bottlenecks({{Bottleneck::Memory{16, 0.15}}}, 33));
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 24 * GiB, 1), bottlenecks({{Bottleneck::Memory{48, 0.15}}}, 33));
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 24 * GiB - 1, 1), bottlenecks({{Bottleneck::Memory{48, 0.15}}}, 33));
}

TEST(UpgradeAdvisor, MedianSwapOfAQuarterOfMemoryMeansTooLittleMemory)
{
    // Even count: the median is the upper of the two middle values.
    auto records = history(2000);
    for (int i = 0; i < 999; ++i)
        records[i].swap = 4 * GiB;
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 16 * GiB, 1), (UpgradeVerdict{UpgradeVerdict::Healthy{33}}));
    records[999].swap = 4 * GiB;
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 16 * GiB, 1), bottlenecks({{Bottleneck::Memory{32, 0}}}, 33));
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 16 * GiB + 4, 1), (UpgradeVerdict{UpgradeVerdict::Healthy{33}}));
}

TEST(UpgradeAdvisor, UnknownMemoryJudgesByPressureAlone)
{
    auto records = history(2000);
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 0, 1), (UpgradeVerdict{UpgradeVerdict::Healthy{33}}));
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, -GiB, 1), (UpgradeVerdict{UpgradeVerdict::Healthy{33}}));
    for (int i = 0; i < 400; ++i)
        records[i].pressure = 2;
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 0, 1), bottlenecks({{Bottleneck::Memory{16, 0.2}}}, 33));
}

TEST(UpgradeAdvisor, BusyProcessorFromTwentyPercentOfMinutesAtEighty)
{
    auto records = history(2000);
    for (int i = 0; i < 399; ++i)
        records[i].cpu = 80.0;
    records[399].cpu = 79.999;
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 16 * GiB, 1), (UpgradeVerdict{UpgradeVerdict::Healthy{33}}));
    records[399].cpu = 100;
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 16 * GiB, 1), bottlenecks({{Bottleneck::CPU{0.2}}}, 33));
}

TEST(UpgradeAdvisor, StorageBelowFifteenPercentFreeAndTheOrderOfBottlenecks)
{
    auto records = history(2000);
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 16 * GiB, 0.15), (UpgradeVerdict{UpgradeVerdict::Healthy{33}}));
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 16 * GiB, 0.149),
              bottlenecks({{Bottleneck::Storage{0.149}}}, 33));

    for (auto& record : records) {
        record.cpu = 95;
        record.pressure = 1;
    }
    EXPECT_EQ(UpgradeAdvisor::evaluate(records, 16 * GiB, 0),
              bottlenecks({{Bottleneck::Memory{32, 1}}, {Bottleneck::CPU{1}}, {Bottleneck::Storage{0}}}, 33));
}
