#include "Core/MemoryStats.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

using namespace corvane;

namespace {
constexpr int64_t page = 16384;
constexpr int64_t total = 4096 * page;
} // namespace

TEST(MemoryStats, DividesPagesIntoAppsWiredCompressedCachedAndFree)
{
    const HostPageCounts counts{.internal = 1000, .purgeable = 200, .wire = 150, .compressor = 50, .external = 300,
                                .free = 400};
    const auto memory = MemoryStats::breakdown(counts, page, total);
    EXPECT_EQ(memory, (MemoryBreakdown{total, 800 * page, 150 * page, 50 * page, 500 * page, 400 * page}));
    EXPECT_EQ(memory.used(), 1000 * page);
}

TEST(MemoryStats, PartsStayWithinTheirBounds)
{
    const auto morePurgeable = MemoryStats::breakdown(HostPageCounts{.internal = 100, .purgeable = 300}, page, total);
    EXPECT_EQ(morePurgeable.app, 0);
    EXPECT_EQ(morePurgeable.cached, 300 * page);

    const auto overfull = MemoryStats::breakdown(HostPageCounts{.internal = 4000, .wire = 4000}, page, total);
    EXPECT_EQ(overfull.used(), total);

    const auto overflowing = MemoryStats::breakdown(HostPageCounts{.wire = INT64_MAX / 2, .free = 3}, page, total);
    EXPECT_EQ(overflowing.wired, 0);
    EXPECT_EQ(overflowing.free, 3 * page);
}

TEST(MemoryStats, WithoutCountsAllMemoryIsFree)
{
    const auto memory = MemoryStats::breakdown(std::nullopt, page, total);
    EXPECT_EQ(memory, (MemoryBreakdown{total, 0, 0, 0, 0, total}));
    EXPECT_EQ(memory.used(), 0);
}

TEST(MemoryStats, ReadsTheKernelsCountersUnderARoot)
{
    test::FakeTree root;
    EXPECT_EQ(MemoryStats::read(root.path()), (MemoryBreakdown{}));  // nothing readable: all zero, all "free"

    root.write("proc/meminfo", "MemTotal:  8192 kB\nMemFree:  2048 kB\nAnonPages:  4096 kB\n");
    const auto memory = MemoryStats::read(root.path());
    EXPECT_EQ(memory.total, 8192 * 1024);
    EXPECT_EQ(memory.free, 2048 * 1024);
    EXPECT_EQ(memory.app, 4096 * 1024);

    const auto live = MemoryStats::read();
    EXPECT_GT(live.total, 0);
    EXPECT_GT(live.app, 0);
    EXPECT_LE(live.used(), live.total);
}
