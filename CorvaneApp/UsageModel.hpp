#pragma once

#include "Core/Date.hpp"
#include "Core/FixID.hpp"
#include "Core/MacInfo.hpp"
#include "Core/MinuteRecord.hpp"
#include "Core/SystemSignals.hpp"
#include "Core/UpgradeAdvisor.hpp"
#include "Core/UsageBuckets.hpp"
#include "CorvaneApp/ColorRole.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the Usage screen shows: the machine's description, the upgrade verdict, the live
// CPU and memory figures and the history charts, derived without any widget.
namespace corvane::UsageModel {

inline constexpr const char* title = "Usage";
inline constexpr const char* subtitle = "How hard your Mac works, and whether it's time for a new one.";

struct RangeOption {
    int hours;
    const char* label;
};
inline constexpr std::array<RangeOption, 3> ranges{{{24, "24 hours"}, {168, "7 days"}, {720, "30 days"}}};
inline constexpr int defaultRange = 24;
inline constexpr int weekHours = 168;
// Seconds between the end of one history read and the next.
inline constexpr double reloadSeconds = 60;

// Model, chip, memory and (with signals) storage, joined by " · ", empty parts left out.
std::string macLine(const MacInfo& mac, const std::optional<SystemSignals>& signals);

// Free over total disk bytes; 1 without signals or without a total, so no storage verdict.
double diskFreeShare(const std::optional<SystemSignals>& signals);

// The advisor's verdict over the week's records, with the machine's memory (the physical
// memory until its description is read).
UpgradeVerdict verdict(const std::vector<MinuteRecord>& weekRecords, const std::optional<MacInfo>& mac,
                       int64_t physicalMemory, const std::optional<SystemSignals>& signals);

// A share from 0 to 1 as a whole percentage, rounded half away from zero.
int64_t percentOf(double share);

struct VerdictLine {
    std::string symbol;
    ColorRole color = ColorRole::text2;
    std::string text;
    std::optional<FixID> fix;  // a button beside the text
    bool operator==(const VerdictLine&) const = default;
};

struct VerdictCard {
    std::string title = "Do you need a new Mac?";
    std::vector<VerdictLine> lines;  // the verdict's lines, then the Intel line when shown
    std::string footnote;
};

// `intelMac`: the machine is a Mac with an Intel processor, which can't run the next macOS.
VerdictCard verdictCard(const UpgradeVerdict& verdict, bool intelMac);

// The Intel line needs the description read, no Apple chip, and Apple hardware: on any
// other PC the warning would be plainly wrong.
bool isIntelMac(const std::optional<MacInfo>& mac, bool appleIntelHardware);

// The live CPU figure: the signals' load rounded half away from zero, 0 without signals.
int64_t cpuFigure(const std::optional<SystemSignals>& signals);
std::string cpuHeadline(const std::optional<SystemSignals>& signals);
std::string cpuAccessibility(const std::optional<SystemSignals>& signals);

// The CPU chart's fixed scale: labels at these values only.
inline constexpr std::array<int, 3> cpuTicks{0, 50, 100};
std::string percentLabel(int value);

// The CPU chart's time axis: ticks spread evenly from the first point to the last, as
// many as `maxTicks` allows (two at least) while no two read alike. Labels read "HH:mm"
// where the ticks are a minute or more apart, else "HH:mm:ss" (the first minutes after
// the app starts), else there are fewer ticks; a span under a second has none.
struct TimeAxis {
    int ticks = 0;
    bool seconds = false;             // labels read "HH:mm:ss" rather than "HH:mm"
    std::vector<std::string> labels;  // what the ticks read, in local time
};
TimeAxis cpuTimeAxis(Date first, Date last, int utcOffsetSeconds, int maxTicks = 3);

// Which of `count` history bars carry a time label: at most `maxLabels`, one every
// step, the first half a step in.
std::vector<int> labelledBars(int count, int maxLabels = 3);

struct MemorySegment {
    std::string name;
    int64_t bytes = 0;
    ColorRole color = ColorRole::text;
    std::string legend;  // name and size
    bool operator==(const MemorySegment&) const = default;
};

// App, Wired, Compressed, Cached, Free, as they are (their sum may differ from the total).
std::array<MemorySegment, 5> memorySegments(const MemoryBreakdown& memory);
// "<used> of <total>", used being app + wired + compressed capped at the total.
std::string memoryHeadline(const MemoryBreakdown& memory);

struct PressureLine {
    std::string word;  // the pressure label, or an em dash without signals
    ColorRole color = ColorRole::text;
    std::string swap;  // "Swap: <size>"
};
PressureLine pressureLine(const std::optional<SystemSignals>& signals);

// History bars: hourly for the 24-hour range, daily otherwise.
int bucketMinutes(int rangeHours);

struct HistoryChart {
    std::string title;
    std::string unit;  // "%" or " GB", appended to each axis label
    ColorRole color = ColorRole::accentLight;
    std::vector<double> values;  // one per bucket, in bucket order
};
std::array<HistoryChart, 3> historyCharts(const std::vector<UsageBucket>& buckets);

// A value axis from 0 that holds `maxValue` in at most three round steps (1, 2 or 5 times
// a power of ten, never below 1), so the labels keep room on a short chart.
struct ValueAxis {
    double top = 1;
    std::vector<double> ticks;
};
ValueAxis valueAxis(double maxValue);
// The tick with its fraction dropped, then the unit: 12.9 and "%" give "12%".
std::string axisLabel(double tick, const std::string& unit);

enum class HistoryPhase { off, empty, charts };
HistoryPhase historyPhase(bool keepHistory, const std::vector<UsageBucket>& buckets);
inline constexpr const char* historyOffText = "Usage history is off. Turn it on in Settings.";
inline constexpr const char* historyEmptyText = "Corvane records one line a minute while it runs. Check back soon.";

} // namespace corvane::UsageModel
