#include "CorvaneApp/UsageModel.hpp"

#include <set>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::UsageModel;

namespace {

constexpr int64_t GiB = int64_t(1) << 30;

SystemSignals signalsWith(double cpu, int64_t diskFree, int64_t diskTotal)
{
    SystemSignals s;
    s.cpuLoadPercent = cpu;
    s.diskFreeBytes = diskFree;
    s.diskTotalBytes = diskTotal;
    return s;
}

// Two UTC days of minutes, `pressured` of them under pressure, at `cpu` load.
std::vector<MinuteRecord> twoDays(int pressured, double cpu = 10, int64_t swap = 0)
{
    std::vector<MinuteRecord> records;
    for (int i = 0; i < 2880; ++i)
        records.push_back(MinuteRecord{int64_t(1440) * 20000 + i, cpu, cpu, i < pressured ? 1 : 0, swap, 0, 20});
    return records;
}

} // namespace

TEST(UsageModel, MacLineJoinsPartsAndSkipsEmptyOnes)
{
    const MacInfo mac{"MacBook Pro", "Apple M3", 18 * GiB, true};
    EXPECT_EQ(macLine(mac, std::nullopt), "MacBook Pro \u00B7 Apple M3 \u00B7 18 GB memory");
    EXPECT_EQ(macLine(mac, signalsWith(0, 0, 494'384'795'648)),
              "MacBook Pro \u00B7 Apple M3 \u00B7 18 GB memory \u00B7 494 GB storage");
    EXPECT_EQ(macLine(MacInfo{"", "Intel Core i7", 8 * GiB, false}, std::nullopt), "Intel Core i7 \u00B7 8 GB memory");
}

TEST(UsageModel, VerdictInputsAndLines)
{
    // No records at all: not enough data, 0 hours in the line and the footnote.
    auto card = verdictCard(verdict({}, std::nullopt, 8 * GiB, std::nullopt), false);
    ASSERT_EQ(card.lines.size(), 1u);
    EXPECT_EQ(card.lines[0].symbol, "hourglass");
    EXPECT_EQ(card.lines[0].text, "Not enough data yet. Corvane has measured 0 hours. Keep it running (turn on Start "
                                  "at login) and check back in a few days.");
    EXPECT_EQ(card.footnote, "Based on 0 hours measured while Corvane was running. Nothing is uploaded.");

    // One full UTC day is still not enough, with 24 hours measured.
    auto oneDay = twoDays(0);
    oneDay.resize(1440);
    EXPECT_EQ(verdict(oneDay, std::nullopt, 8 * GiB, std::nullopt),
              (UpgradeVerdict{UpgradeVerdict::NotEnoughData{24}}));

    card = verdictCard(verdict(twoDays(0), std::nullopt, 8 * GiB, std::nullopt), false);
    EXPECT_EQ(card.lines[0].symbol, "checkmark.seal");
    EXPECT_EQ(card.lines[0].color, ColorRole::green);
    EXPECT_EQ(card.footnote, "Based on 48 hours measured while Corvane was running. Nothing is uploaded.");

    // A total of 0 never gives a storage verdict; a nearly full disk does.
    EXPECT_EQ(diskFreeShare(signalsWith(0, 0, 0)), 1.0);
    EXPECT_EQ(diskFreeShare(std::nullopt), 1.0);
    card = verdictCard(verdict(twoDays(2880, 90), MacInfo{"M", "C", 24 * GiB, true}, 8 * GiB,
                               signalsWith(0, 10, 100)),
                       true);
    ASSERT_EQ(card.lines.size(), 4u);
    EXPECT_EQ(card.lines[0].text, "Memory is holding your Mac back. It was under memory pressure 100% of the time. "
                                  "Your next Mac should have at least 48 GB of memory.");
    EXPECT_EQ(card.lines[1].text, "Your processor is often maxed out (100% of the time). A Mac with a newer or bigger "
                                  "chip would help with your workload.");
    EXPECT_EQ(card.lines[2].symbol, "internaldrive");
    EXPECT_EQ(card.lines[2].fix, FixID::openFerncourt);
    EXPECT_EQ(card.lines[3].symbol, "exclamationmark.triangle");  // the Intel line comes last
}

TEST(UsageModel, MemoryBottleneckFromSwapAloneUsesPhysicalMemoryBeforeTheDescription)
{
    // 8 GiB physical memory, median swap of 2 GiB: memory bottleneck at 0 % pressure.
    const auto result = verdict(twoDays(0, 10, 2 * GiB), std::nullopt, 8 * GiB, std::nullopt);
    const auto card = verdictCard(result, false);
    ASSERT_EQ(card.lines.size(), 1u);
    EXPECT_EQ(card.lines[0].text, "Memory is holding your Mac back. It was under memory pressure 0% of the time. "
                                  "Your next Mac should have at least 16 GB of memory.");
    // With the description read, its memory decides: 128 GiB makes 2 GiB of swap harmless.
    EXPECT_EQ(verdictCard(verdict(twoDays(0, 10, 2 * GiB), MacInfo{"", "", 128 * GiB, false}, 8 * GiB, std::nullopt),
                          false)
                  .lines[0]
                  .symbol,
              "checkmark.seal");
}

TEST(UsageModel, PercentagesRoundHalfAwayFromZero)
{
    EXPECT_EQ(percentOf(0.145), 15);
    EXPECT_EQ(percentOf(0.2049), 20);
    EXPECT_EQ(cpuFigure(signalsWith(49.5, 0, 0)), 50);
    EXPECT_EQ(cpuFigure(signalsWith(49.4, 0, 0)), 49);
    EXPECT_EQ(cpuHeadline(std::nullopt), "0%");
    EXPECT_EQ(cpuAccessibility(signalsWith(49.5, 0, 0)), "CPU load over the last 10 minutes, now 50 percent");
}

TEST(UsageModel, IntelLineOnlyOnAppleIntelHardware)
{
    const MacInfo intel{"MacBook Pro", "Intel Core i9", 16 * GiB, false};
    EXPECT_TRUE(isIntelMac(intel, true));
    EXPECT_FALSE(isIntelMac(intel, false));  // any other x86 PC
    EXPECT_FALSE(isIntelMac(MacInfo{"MacBook Air", "Apple M2", 16 * GiB, true}, true));
    EXPECT_FALSE(isIntelMac(std::nullopt, true));  // not read yet
}

TEST(UsageModel, MemorySegmentsHeadlineAndPressure)
{
    const MemoryBreakdown memory{16 * GiB, 6 * GiB, 2 * GiB, 1 * GiB, 4 * GiB, 3 * GiB};
    const auto segments = memorySegments(memory);
    EXPECT_EQ(segments[0], (MemorySegment{"App", 6 * GiB, ColorRole::accent, "App 6 GB"}));
    EXPECT_EQ(segments[3].color, ColorRole::sky);
    EXPECT_EQ(segments[4].legend, "Free 3 GB");
    EXPECT_EQ(memoryHeadline(memory), "9 GB of 16 GB");
    // Used memory never exceeds the total.
    EXPECT_EQ(memoryHeadline(MemoryBreakdown{8 * GiB, 6 * GiB, 2 * GiB, 1 * GiB, 0, 0}), "8 GB of 8 GB");

    auto line = pressureLine(std::nullopt);
    EXPECT_EQ(line.word, "\u2014");
    EXPECT_EQ(line.color, ColorRole::text);
    EXPECT_EQ(line.swap, "Swap: 0 KB");
    SystemSignals s;
    s.pressure = Pressure::elevated;
    s.swapUsedBytes = GiB;
    line = pressureLine(s);
    EXPECT_EQ(line.word, "Elevated");
    EXPECT_EQ(line.color, ColorRole::amber);
    EXPECT_EQ(line.swap, "Swap: 1 GB");
}

TEST(UsageModel, HistoryBucketsValuesAndAxes)
{
    EXPECT_EQ(bucketMinutes(24), 60);
    EXPECT_EQ(bucketMinutes(168), 1440);
    EXPECT_EQ(bucketMinutes(720), 1440);

    const std::vector<UsageBucket> buckets{{Date{}, 12.5, 0.25, 3 * GiB / 2, 60}};
    const auto charts = historyCharts(buckets);
    EXPECT_EQ(charts[0].title, "Average CPU load");
    EXPECT_EQ(charts[0].values, std::vector<double>{12.5});
    EXPECT_EQ(charts[1].values, std::vector<double>{25});
    EXPECT_EQ(charts[2].values, std::vector<double>{1.5});
    EXPECT_EQ(charts[2].color, ColorRole::red);

    EXPECT_EQ(axisLabel(12.9, charts[0].unit), "12%");
    EXPECT_EQ(axisLabel(1.5, charts[2].unit), "1 GB");
    EXPECT_EQ(percentLabel(cpuTicks[1]), "50%");

    EXPECT_EQ(valueAxis(0).ticks, (std::vector<double>{0, 1}));
    EXPECT_EQ(valueAxis(0.3).top, 1);
    auto axis = valueAxis(37);
    EXPECT_EQ(axis.top, 40);
    EXPECT_EQ(axis.ticks, (std::vector<double>{0, 20, 40}));
    EXPECT_EQ(valueAxis(100).ticks, (std::vector<double>{0, 50, 100}));
    EXPECT_EQ(valueAxis(4).ticks, (std::vector<double>{0, 2, 4}));

    EXPECT_EQ(historyPhase(false, buckets), HistoryPhase::off);
    EXPECT_EQ(historyPhase(true, {}), HistoryPhase::empty);
    EXPECT_EQ(historyPhase(true, buckets), HistoryPhase::charts);
}

namespace {

// 2026-03-02 23:55:00 UTC, with `seconds` added.
Date at(double seconds)
{
    return Date(std::chrono::seconds(1772495700)) +
           std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(seconds));
}

} // namespace

TEST(UsageModel, CPUTimeLabelsNeverRepeatWhileTheHistoryIsShort)
{
    using Labels = std::vector<std::string>;
    // The full ten minutes, the first minute and the first seconds after the app starts.
    auto axis = cpuTimeAxis(at(-597), at(0), 0);
    EXPECT_EQ(axis.labels, (Labels{"23:45", "23:50", "23:55"}));
    EXPECT_FALSE(axis.seconds);
    axis = cpuTimeAxis(at(0), at(90), 0);
    EXPECT_EQ(axis.labels, (Labels{"23:55", "23:56"})) << "fewer ticks keep them a minute apart";
    axis = cpuTimeAxis(at(0), at(30), 0);
    EXPECT_EQ(axis.labels, (Labels{"23:55:00", "23:55:15", "23:55:30"}));
    EXPECT_TRUE(axis.seconds);
    EXPECT_EQ(cpuTimeAxis(at(0), at(1.5), 0).labels, (Labels{"23:55:00", "23:55:01"}));
    EXPECT_EQ(cpuTimeAxis(at(0), at(0), 0).ticks, 0) << "one point: nothing to label";
    EXPECT_EQ(cpuTimeAxis(at(0), at(0.9), 0).ticks, 0);

    // Across midnight, in a zone five and a half hours ahead, and with room for fewer.
    EXPECT_EQ(cpuTimeAxis(at(290), at(310), 0).labels, (Labels{"23:59:50", "00:00:00", "00:00:10"}));
    EXPECT_EQ(cpuTimeAxis(at(-600), at(0), 5 * 3600 + 1800).labels, (Labels{"05:15", "05:20", "05:25"}));
    EXPECT_EQ(cpuTimeAxis(at(-600), at(0), 0, 2).labels, (Labels{"23:45", "23:55"}));

    // At every length of a growing history, no two labels read alike.
    for (double span = 1; span <= 600; span += 3) {
        axis = cpuTimeAxis(at(-span), at(0), 0);
        ASSERT_GE(axis.ticks, 2) << span;
        ASSERT_EQ(axis.labels.size(), std::size_t(axis.ticks));
        EXPECT_EQ(std::set<std::string>(axis.labels.begin(), axis.labels.end()).size(), axis.labels.size())
            << span << " seconds";
    }
}

TEST(UsageModel, HistoryTimeLabelsAreSpreadOverTheBars)
{
    EXPECT_EQ(labelledBars(24), (std::vector<int>{4, 12, 20}));
    EXPECT_EQ(labelledBars(8), (std::vector<int>{1, 4, 7}));
    EXPECT_EQ(labelledBars(24, 2), (std::vector<int>{6, 18}));
    EXPECT_EQ(labelledBars(30, 1), std::vector<int>{15});
    EXPECT_EQ(labelledBars(1), std::vector<int>{0});
    EXPECT_TRUE(labelledBars(0).empty());
    for (int count = 1; count <= 31; ++count) {
        for (int most = 1; most <= 3; ++most)
            EXPECT_LE(labelledBars(count, most).size(), std::size_t(most)) << count << " bars, " << most;
    }
}
