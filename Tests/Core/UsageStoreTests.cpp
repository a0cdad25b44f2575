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

    EXPECT_EQ(minutesOf(store.load(march7 + hours(12) + minutes(30) + seconds(59), march7 + days(2))),
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

// Whatever else a person keeps beside the history, even named much like it, is neither
// read, pruned nor cleared.
TEST(UsageStoreFiles, OnlyDayFilesTheStoreWritesAreReadPrunedOrCleared)
{
    const struct {
        const char* name;
        bool dayFile;
    } names[]{
        {"usage-2026-03-07.jsonl", true},
        {"usage-2024-02-29.jsonl", true},
        {"usage-.jsonl", false},
        {"usage-1.jsonl", false},
        {"usage-0-notes.jsonl", false},
        {"usage-2025-backup.jsonl", false},
        {"usage-undated.jsonl", false},
        {"usage-2026-02-30.jsonl", false},  // no such day
        {"usage-2025-02-29.jsonl", false},
        {"usage-2026-13-01.jsonl", false},
        {"usage-2026-00-10.jsonl", false},
        {"usage-2026-3-07.jsonl", false},
        {"usage-2026-03-7x.jsonl", false},
        {"usage-+026-03-07.jsonl", false},
        {"usage-2026-03-07.json", false},
        {"usage-2026-03-07.jsonl.bak", false},
        {"history-2026-03-07.jsonl", false},
    };
    test::FakeTree tree;
    const UsageStore store(tree.path());
    std::vector<int64_t> dayMinutes;
    int64_t minute = minuteAt(march7 - days(800));
    for (const auto& [name, dayFile] : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(UsageStore::isDayName(name), dayFile);
        tree.write(name, lines({record(++minute)}));
        if (dayFile)
            dayMinutes.push_back(minute);
    }
    // Folders and links named as days are no history either.
    tree.mkdir("usage-2026-03-08.jsonl");
    tree.write("elsewhere/usage-2026-03-09.jsonl", lines({record(++minute)}));
    tree.symlink("usage-2026-03-09.jsonl", tree.path("elsewhere/usage-2026-03-09.jsonl"));

    EXPECT_EQ(minutesOf(store.load()), dayMinutes);
    EXPECT_EQ(minutesOf(store.load(march7 - days(900), march7)), dayMinutes);

    const auto kept = [&] {
        std::size_t count = 0;
        for (const auto& [name, dayFile] : names)
            count += fs::exists(tree.path(name)) ? 1 : 0;
        return count + (fs::is_directory(tree.path("usage-2026-03-08.jsonl")) ? 1 : 0) +
               (fs::is_symlink(tree.path("usage-2026-03-09.jsonl")) ? 1 : 0);
    };
    const std::size_t others = std::size(names) - dayMinutes.size() + 2;
    store.prune(30, march7 + days(3650));
    EXPECT_EQ(kept(), others);
    tree.write("usage-2026-03-07.jsonl", "");
    store.clear();
    EXPECT_EQ(kept(), others);
    EXPECT_EQ(tree.read("elsewhere/usage-2026-03-09.jsonl"), lines({record(minute)}));

    EXPECT_TRUE(UsageStore(tree.path("missing")).load().empty());
}

// A clock set wrong once, or someone else, may leave days and minutes ahead of now. They
// are not history yet: loads pass them over, and pruning keeps them.
TEST(UsageStoreReading, RecordsFromTheFutureCountAsNone)
{
    test::FakeTree tree;
    const Date now = march7 + hours(12) + seconds(30);
    tree.write("usage-2026-03-07.jsonl", lines({record(minuteAt(march7, 11)), record(minuteAt(march7, 12, 5)),
                                                record(minuteAt(march7, 12, 6)), record(minuteAt(march7, 23))}));
    tree.write("usage-2026-03-08.jsonl", lines({record(minuteAt(march7 + days(1)))}));
    tree.write("usage-2099-01-01.jsonl", lines({record(minuteAt(march7, 11, 30))}));  // misfiled, and ahead
    const UsageStore store(tree.path());

    // Up to five minutes ahead is the clock's own drift; past that, nothing.
    EXPECT_EQ(minutesOf(store.load(march7 - days(30), now)),
              (std::vector<int64_t>{minuteAt(march7, 11), minuteAt(march7, 12, 5)}));
    EXPECT_TRUE(store.load(now + hours(1), now).empty());

    store.prune(30, now);
    EXPECT_TRUE(fs::exists(tree.path("usage-2026-03-08.jsonl")));
    EXPECT_TRUE(fs::exists(tree.path("usage-2099-01-01.jsonl")));
}

// Each day is a tenth of a megabyte in a real month; files grown far past that are read
// newest first only as far as the load's bound, and the log hears where it stopped.
TEST(UsageStoreReading, ALoadStopsAtItsBoundKeepingTheNewestDays)
{
    test::FakeTree tree;
    const UsageStore store(tree.path());
    std::vector<std::string> said;
    const auto hear = [&](const UsageStore& from) {
        UsageStore listening = from;
        listening.onLoadCut = [&said](const std::string& message) { said.push_back(message); };
        return listening;
    };
    // Four days, each one record and then (sparse) padding to a third of the bound: two fit.
    const std::size_t third = UsageStore::maxLoadBytes / 3 + 1;
    for (int day = 4; day <= 7; ++day) {
        const sys_days date = sys_days{2026y / March / day};
        const auto file = tree.write("usage-2026-03-0" + std::to_string(day) + ".jsonl", lines({record(minuteAt(date))}));
        fs::resize_file(file, third);
    }
    tree.write("usage-2026-03-01.jsonl", lines({record(minuteAt(sys_days{2026y / March / 1}))}));

    EXPECT_EQ(minutesOf(hear(store).load(march7 - days(30), march7 + days(1))),
              (std::vector<int64_t>{minuteAt(march7 - days(1)), minuteAt(march7)}));
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("usage-2026-03-05.jsonl"), std::string::npos) << said[0];
    EXPECT_EQ(hear(store).load().size(), 2u);

    // Within the bound, nothing is said.
    said.clear();
    EXPECT_EQ(hear(store).load(march7 - days(1), march7 + days(1)).size(), 2u);
    EXPECT_TRUE(said.empty());
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

TEST(UsageStorePruning, ClearRemovesEveryDayFileAndNothingElse)
{
    test::FakeTree tree;
    tree.write("usage-2026-03-07.jsonl", "");
    tree.write("usage-undated.jsonl", "");
    tree.write("usage-2026-03-07.json", "");
    tree.mkdir("usage-2026-03-08.jsonl");
    UsageStore(tree.path()).clear();

    EXPECT_FALSE(fs::exists(tree.path("usage-2026-03-07.jsonl")));
    EXPECT_TRUE(fs::exists(tree.path("usage-undated.jsonl")));
    EXPECT_TRUE(fs::exists(tree.path("usage-2026-03-07.json")));
    EXPECT_TRUE(fs::is_directory(tree.path("usage-2026-03-08.jsonl")));

    const UsageStore missing(tree.path("missing"));
    EXPECT_NO_THROW(missing.clear());
    EXPECT_NO_THROW(missing.prune(std::numeric_limits<int>::min(), system_clock::now()));
}
