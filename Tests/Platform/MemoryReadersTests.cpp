#include "Core/MemoryReader.hpp"
#include "Platform/HostStatistics.hpp"
#include "Platform/MemInfo.hpp"
#include "Platform/ProcFootprint.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace corvane;

TEST(MemInfo, ReadsKibibyteLinesAndSkipsTheRest)
{
    const MemInfo info("MemTotal:       16384 kB\nName:\tbash\nUid:\t1000\t1000\t1000\t1000\n"
                       "SwapTotal:  2048 kB\nSwapFree:   512 kB\nHuge:  9223372036854775807 kB\n");
    EXPECT_EQ(info.totalBytes(), 16384 * 1024);
    EXPECT_EQ(info.swapUsedBytes(), 1536 * 1024);
    EXPECT_FALSE(info.bytes("Name"));
    EXPECT_FALSE(info.bytes("Uid"));
    EXPECT_FALSE(info.bytes("Huge"));  // too large in bytes
    EXPECT_EQ(MemInfo("SwapTotal: 10 kB\n").swapUsedBytes(), 0);
    EXPECT_EQ(MemInfo("SwapTotal: 10 kB\nSwapFree: 20 kB\n").swapUsedBytes(), 0);
}

TEST(ProcFootprint, IsAnonymousResidentPlusSwappedMemory)
{
    test::FakeTree proc;
    proc.write("10/status", "Name:\tapp\nVmRSS:\t  900 kB\nRssAnon:\t   600 kB\nRssFile:\t 300 kB\nVmSwap:\t  50 kB\n");
    proc.write("11/status", "Name:\tapp\nRssAnon:\t   600 kB\n");
    proc.write("12/status", "Name:\tkworker/0:1\nState:\tI (idle)\n");  // a kernel thread has no memory lines
    EXPECT_EQ(ProcFootprint::read(proc.path(), 10), 650 * 1024);
    EXPECT_EQ(ProcFootprint::read(proc.path(), 11), 600 * 1024);
    EXPECT_FALSE(ProcFootprint::read(proc.path(), 12));
    EXPECT_FALSE(ProcFootprint::read(proc.path(), 13));
}

TEST(ProcFootprint, LiveReaderSeesThisProcess)
{
    const auto bytes = MemoryReader::footprint(::getpid());
    ASSERT_TRUE(bytes);
    EXPECT_GT(*bytes, 0);
}

TEST(HostStatistics, MapsMeminfoAndZramToPageCounts)
{
    test::FakeTree root;
    root.write("proc/meminfo",
               "MemTotal:  1048576 kB\nMemFree:  400 kB\nBuffers:  40 kB\nCached:  300 kB\n"
               "AnonPages:  1000 kB\nShmem:  100 kB\nSReclaimable:  60 kB\nSUnreclaim:  20 kB\n"
               "KernelStack:  8 kB\nPageTables:  12 kB\nUnevictable:  4 kB\nZswap:  16 kB\n");
    root.write("sys/block/zram0/mm_stat", "8192000 2048000 4096000 0 4096000 10 0 0 0\n");
    root.write("sys/block/zram1/mm_stat", "garbled\n");
    root.write("sys/block/vda/mm_stat", "0 0 40960000\n");  // not a zram device
    const auto counts = HostStatistics::read(root.path(), 4096);
    ASSERT_TRUE(counts);
    // In 4 KiB pages: anon+shmem 1100 KiB; 44 KiB wired; 16 KiB + 4096000 bytes compressed;
    // cached+buffers-shmem+reclaimable 300 KiB; 400 KiB free.
    EXPECT_EQ(*counts, (HostPageCounts{275, 0, 11, 4 + 1000, 75, 100}));
}

TEST(HostStatistics, NothingWithoutMeminfoOrFreeCount)
{
    test::FakeTree root;
    EXPECT_FALSE(HostStatistics::read(root.path(), 4096));
    root.write("proc/meminfo", "MemTotal: 100 kB\n");
    EXPECT_FALSE(HostStatistics::read(root.path(), 4096));
    root.write("proc/meminfo", "MemTotal: 100 kB\nMemFree: 8 kB\n");
    EXPECT_EQ(HostStatistics::read(root.path(), 4096), (HostPageCounts{0, 0, 0, 0, 0, 2}));
}

// With nothing in swap the tick's reader takes resident less shared pages from
// statm; with anything in swap, or swap use unknown, it reads status as read() does.
TEST(ProcFootprint, TickReaderUsesStatmOnlyWhileNothingIsInSwap)
{
    test::FakeTree proc;
    proc.write("10/status", "Name:\tapp\nRssAnon:\t   600 kB\nVmSwap:\t  50 kB\n");
    proc.write("10/statm", "5000 300 120 10 0 900 0\n");
    proc.write("11/statm", "0 0 0 0 0 0 0\n");  // a kernel thread
    proc.write("12/statm", "5000 300\n");
    proc.write("13/statm", "5000 100 300 10 0 900 0\n");

    proc.write("meminfo", "MemTotal: 1000 kB\nSwapTotal: 2048 kB\nSwapFree: 2048 kB\n");
    const ProcFootprint::Reader idleSwap(proc.path(), 4096);
    EXPECT_EQ(idleSwap.read(10), 180 * 4096);
    EXPECT_FALSE(idleSwap.read(11));
    EXPECT_FALSE(idleSwap.read(12));
    EXPECT_FALSE(idleSwap.read(13));
    EXPECT_FALSE(idleSwap.read(14));

    proc.write("meminfo", "SwapTotal: 2048 kB\nSwapFree: 2000 kB\n");
    EXPECT_EQ(ProcFootprint::Reader(proc.path(), 4096).read(10), 650 * 1024);
    proc.write("meminfo", "MemTotal: 1000 kB\n");
    EXPECT_EQ(ProcFootprint::Reader(proc.path(), 4096).read(10), 650 * 1024);
}

TEST(ProcFootprint, TickReaderAgreesWithStatusOnThisProcess)
{
    const ProcFootprint::Reader reader("/proc", ::sysconf(_SC_PAGESIZE));
    const auto fromStatus = ProcFootprint::read("/proc", ::getpid());
    const auto fromReader = reader.read(::getpid());
    ASSERT_TRUE(fromStatus && fromReader);
    // The two files are made a moment apart; a test process's memory barely moves.
    EXPECT_NEAR(static_cast<double>(*fromReader), static_cast<double>(*fromStatus), 1 << 20);
}
