#include "Core/BusyTracker.hpp"
#include "Core/SamplingPolicy.hpp"
#include "Core/Smoother.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace std::chrono_literals;

namespace {

ProcessGroup group(const std::string& id, double cpu, int64_t memory = 0)
{
    return ProcessGroup{id, id, std::nullopt, {ProcessUsage{1, 0, 0, "me", "/bin/" + id, id, cpu, memory}},
                        cpu, memory, false};
}

std::vector<std::string> ids(const std::vector<ProcessGroup>& groups)
{
    std::vector<std::string> result;
    for (const auto& g : groups)
        result.push_back(g.id);
    return result;
}

} // namespace

TEST(Smoother, OneTickMapAddsGroupsSharingAnId)
{
    const auto map = Smoother::cpuByID({group("a", 10), group("b", 5), group("a", 2.5)});
    EXPECT_EQ(map, (Smoother::CPUByID{{"a", 12.5}, {"b", 5}}));
}

TEST(Smoother, EmptyHistoryKeepsTheLatestTickAsItIs)
{
    const std::vector latest{group("a", 1), group("b", 90)};
    EXPECT_EQ(Smoother::average(latest, {}), latest);
}

TEST(Smoother, AveragesOverEveryTickCountingAbsenceAsZero)
{
    const std::vector<Smoother::CPUByID> history{{{"steady", 30}}, {{"steady", 60}}, {{"steady", 90}, {"spike", 90}}};
    const auto result = Smoother::average({group("spike", 500, 77), group("steady", 5, 42)}, history);
    ASSERT_EQ(ids(result), (std::vector<std::string>{"steady", "spike"}));
    EXPECT_DOUBLE_EQ(result[0].cpuPercent, 60);  // whatever the latest tick said
    EXPECT_DOUBLE_EQ(result[1].cpuPercent, 30);
    EXPECT_EQ(result[0].memoryBytes, 42);
    EXPECT_EQ(result[1].members[0].cpuPercent, 500);  // members stay as measured
}

TEST(Smoother, EqualAveragesKeepTheLatestOrder)
{
    const std::vector<Smoother::CPUByID> history{{{"b", 20}, {"a", 20}, {"c", 30}}};
    const auto result = Smoother::average({group("b", 0), group("c", 0), group("a", 99)}, history);
    EXPECT_EQ(ids(result), (std::vector<std::string>{"c", "b", "a"}));
}

TEST(SamplingPolicy, FastWhileShowingElseSlowerInLowPower)
{
    EXPECT_EQ(SamplingPolicy::interval(true, false, true), 3s);
    EXPECT_EQ(SamplingPolicy::interval(false, true, true), 3s);
    EXPECT_EQ(SamplingPolicy::interval(false, false, true), 60s);
    EXPECT_EQ(SamplingPolicy::interval(false, false, false), 30s);
}

TEST(BusyTracker, RemembersTheStartOfAnUnbrokenBusyPeriod)
{
    const Date t0 = Date{} + 1000s;
    BusyTracker tracker;
    EXPECT_EQ(tracker.busySince, std::nullopt);
    EXPECT_EQ(tracker.update(49.9, t0), std::nullopt);
    EXPECT_EQ(tracker.update(50.0, t0 + 3s), t0 + 3s);
    EXPECT_EQ(tracker.update(80, t0 + 6s), t0 + 3s);
    EXPECT_EQ(tracker.busySince, t0 + 3s);
    EXPECT_EQ(tracker.update(10, t0 + 9s), std::nullopt);
    EXPECT_EQ(tracker.busySince, std::nullopt);
    EXPECT_EQ(tracker.update(70, t0 + 12s), t0 + 12s);  // a new period
}
