#include "Core/UsageStore.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <system_error>

using namespace corvane;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

int64_t minuteAt(sys_days day, int hour = 0, int minute = 0)
{
    return duration_cast<minutes>((day + hours(hour) + minutes(minute)).time_since_epoch()).count();
}

MinuteRecord record(int64_t t, double cpu = 10)
{
    return MinuteRecord{t, cpu, cpu, 0, 0, 0, 1};
}

std::vector<int64_t> minutesOf(const std::vector<MinuteRecord>& records)
{
    std::vector<int64_t> result;
    for (const auto& r : records)
        result.push_back(r.t);
    return result;
}

std::string lines(std::initializer_list<MinuteRecord> records)
{
    std::string text;
    for (const auto& r : records)
        text += r.encode() + "\n";
    return text;
}

constexpr sys_days march7 = sys_days{2026y / March / 7};

} // namespace

TEST(UsageStoreWriting, ARecordGoesToTheUTCDayOfItsOwnMinute)
{
    // A zone far from UTC shows that names never follow local time.
    ::setenv("TZ", "XST-14", 1);
    ::tzset();
    test::FakeTree tree;
    const UsageStore store(tree.path("deep/Corvane"));
    store.append(record(minuteAt(march7, 23, 59)));  // written just after midnight
    store.append(record(minuteAt(march7 + days(1))));

    EXPECT_EQ(tree.read("deep/Corvane/usage-2026-03-07.jsonl"), lines({record(minuteAt(march7, 23, 59))}));
    EXPECT_EQ(tree.read("deep/Corvane/usage-2026-03-08.jsonl"), lines({record(minuteAt(march7 + days(1)))}));
}

TEST(UsageStoreWriting, AppendsBehindExistingHistoryWithoutRewritingIt)
{
    test::FakeTree tree;
    const std::string earlier = lines({record(minuteAt(march7, 1)), record(minuteAt(march7, 2))});
    tree.write("usage-2026-03-07.jsonl", earlier);
    const UsageStore store(tree.path());
    store.append(record(minuteAt(march7, 3)));
    EXPECT_EQ(tree.read("usage-2026-03-07.jsonl"), earlier + lines({record(minuteAt(march7, 3))}));
}

TEST(UsageStoreWriting, ATornLastLineIsClosedBeforeTheNextRecord)
{
    test::FakeTree tree;
    const std::string whole = lines({record(minuteAt(march7, 1))});
    tree.write("usage-2026-03-07.jsonl", whole + R"({"t":)" + std::to_string(minuteAt(march7, 2)) + R"(,"cpu":1)");
    const UsageStore store(tree.path());
    store.append(record(minuteAt(march7, 3)));

    EXPECT_EQ(minutesOf(store.load()), (std::vector<int64_t>{minuteAt(march7, 1), minuteAt(march7, 3)}));
}

TEST(UsageStoreWriting, ARecordThatCannotBeEncodedWritesNothing)
{
    test::FakeTree tree;
    const UsageStore store(tree.path("Corvane"));
    EXPECT_THROW(store.append(record(minuteAt(march7), std::nan(""))), std::invalid_argument);
    EXPECT_TRUE(fs::is_directory(tree.path("Corvane")));
    EXPECT_TRUE(fs::is_empty(tree.path("Corvane")));

    EXPECT_THROW(store.append(record(999'999'999'999)), std::out_of_range);
    EXPECT_TRUE(fs::is_empty(tree.path("Corvane")));
}

TEST(UsageStoreWriting, FileFailuresAreThrown)
{
    test::FakeTree tree;
    tree.write("file", "");
    EXPECT_THROW(UsageStore(tree.path("file/Corvane")).append(record(minuteAt(march7))), fs::filesystem_error);

    tree.mkdir("history/usage-2026-03-07.jsonl");
    EXPECT_THROW(UsageStore(tree.path("history")).append(record(minuteAt(march7))), std::system_error);
    EXPECT_TRUE(fs::is_directory(tree.path("history/usage-2026-03-07.jsonl")));
}

TEST(UsageStoreWriting, OnlyAPlainFileInTheFolderTakesARecord)
{
    test::FakeTree tree;
    tree.mkdir("history");
    tree.write("elsewhere/target", "kept\n");
    const fs::path day = tree.path("history/usage-2026-03-07.jsonl");
    const UsageStore store(tree.path("history"));

    // A link to an existing file is not written through, nor one to a missing file created.
    fs::create_symlink(tree.path("elsewhere/target"), day);
    EXPECT_THROW(store.append(record(minuteAt(march7))), std::system_error);
    EXPECT_EQ(tree.read("elsewhere/target"), "kept\n");
    fs::remove(day);
    fs::create_symlink(tree.path("elsewhere/created"), day);
    EXPECT_THROW(store.append(record(minuteAt(march7))), std::system_error);
    EXPECT_FALSE(fs::exists(tree.path("elsewhere/created")));
    fs::remove(day);

    // A pipe would swallow the record: that is a failure, not a success.
    ASSERT_EQ(::mkfifo(day.c_str(), 0600), 0);
    EXPECT_THROW(store.append(record(minuteAt(march7))), std::system_error);
    EXPECT_TRUE(fs::is_fifo(day));
}

TEST(UsageStoreReading, SinceAMomentReadsFromItsDayAndMinuteOn)
{
    test::FakeTree tree;
    tree.write("usage-2026-03-06.jsonl", lines({record(minuteAt(march7, 13))}));  // misplaced: its file is too early
    tree.write("usage-2026-03-07.jsonl", lines({record(minuteAt(march7, 12, 29)), record(minuteAt(march7, 12, 30)),
                                                record(minuteAt(march7, 18))}));
    tree.write("usage-2026-03-08.jsonl", lines({record(minuteAt(march7 + days(1), 1))}));
    const UsageStore store(tree.path());

    EXPECT_EQ(minutesOf(store.load(march7 + hours(12) + minutes(30) + seconds(59))),
              (std::vector<int64_t>{minuteAt(march7, 12, 30), minuteAt(march7, 18), minuteAt(march7 + days(1), 1)}));
    EXPECT_EQ(store.load().size(), 5u);
}

TEST(UsageStoreReading, SortsByMinuteKeepingFileAndLineOrderForEqualMinutes)
{
    test::FakeTree tree;
    const int64_t t = minuteAt(march7, 5);
    tree.write("usage-2026-03-07.jsonl", lines({record(t + 1, 1), record(t, 2), record(t, 3)}));
    tree.write("usage-2026-03-08.jsonl", lines({record(t, 4), record(t - 1, 5)}));
    std::vector<double> cpus;
    for (const auto& r : UsageStore(tree.path()).load())
        cpus.push_back(r.cpu);
    EXPECT_EQ(cpus, (std::vector<double>{5, 2, 3, 4, 1}));
}

TEST(UsageStoreReading, BadLinesCostOnlyThemselves)
{
    test::FakeTree tree;
    const std::string missingN = R"({"t":)" + std::to_string(minuteAt(march7, 2)) +
                                 R"(,"cpu":1,"cpuMax":1,"pressure":0,"swap":0,"memUsed":0})";
    tree.write("usage-2026-03-07.jsonl", lines({record(minuteAt(march7, 1))}) + "not json\n" + missingN + "\n" +
                                             "{\"t\":\"\xc3\x28\"}\n\n" + lines({record(minuteAt(march7, 3))}) +
                                             R"({"t":12,"cpu")");
    EXPECT_EQ(minutesOf(UsageStore(tree.path()).load()),
              (std::vector<int64_t>{minuteAt(march7, 1), minuteAt(march7, 3)}));
}

TEST(UsageStoreReading, OnlyUsageFilesAreRead)
{
    test::FakeTree tree;
    const std::string one = lines({record(minuteAt(march7))});
    tree.write("usage-2026-03-07.jsonl", one);
    tree.write("usage-2026-03-08.json", one);
    tree.write("history-2026-03-09.jsonl", one);
    tree.mkdir("usage-2026-03-10.jsonl");
    tree.write("usage-undated.jsonl", lines({record(1)}));  // sorts after every date: always read
    const UsageStore store(tree.path());

    EXPECT_EQ(minutesOf(store.load(march7 + days(300))), (std::vector<int64_t>{}));
    EXPECT_EQ(store.load(march7 - days(1)).size(), 1u);  // the undated file's minute is before the bound
    EXPECT_EQ(minutesOf(store.load()), (std::vector<int64_t>{1, minuteAt(march7)}));
    EXPECT_TRUE(UsageStore(tree.path("missing")).load().empty());
}

TEST(UsageStorePruning, KeepsTheCutoffDayAndTheThirtyDaysAfterIt)
{
    test::FakeTree tree;
    const UsageStore store(tree.path());
    const sys_days today = sys_days{2026y / March / 31};
    for (sys_days day = sys_days{2026y / February / 20}; day <= today; day += days(1))
        store.append(record(minuteAt(day)));
    tree.write("usage-undated.jsonl", "");
    tree.write("notes.txt", "");
    tree.mkdir("usage-2026-01-01.jsonl");

    store.prune(30, today + hours(23));

    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(tree.path()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    ASSERT_EQ(left.size(), 31u + 3u);
    EXPECT_EQ(left.front(), "notes.txt");
    EXPECT_EQ(left[1], "usage-2026-01-01.jsonl");  // a folder, not history
    EXPECT_EQ(left[2], "usage-2026-03-01.jsonl");
    EXPECT_EQ(left[32], "usage-2026-03-31.jsonl");
    EXPECT_EQ(left.back(), "usage-undated.jsonl");
}

TEST(UsageStorePruning, ClearRemovesEveryUsageFileAndNothingElse)
{
    test::FakeTree tree;
    tree.write("usage-2026-03-07.jsonl", "");
    tree.write("usage-undated.jsonl", "");
    tree.write("usage-2026-03-07.json", "");
    tree.mkdir("usage-2026-03-08.jsonl");
    UsageStore(tree.path()).clear();

    EXPECT_FALSE(fs::exists(tree.path("usage-2026-03-07.jsonl")));
    EXPECT_FALSE(fs::exists(tree.path("usage-undated.jsonl")));
    EXPECT_TRUE(fs::exists(tree.path("usage-2026-03-07.json")));
    EXPECT_TRUE(fs::is_directory(tree.path("usage-2026-03-08.jsonl")));

    const UsageStore missing(tree.path("missing"));
    EXPECT_NO_THROW(missing.clear());
    EXPECT_NO_THROW(missing.prune(std::numeric_limits<int>::min(), system_clock::now()));
}
