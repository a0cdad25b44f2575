#include "CorvaneApp/UsageModel.hpp"

#include "Core/Format.hpp"
#include "Core/Numbers.hpp"

#include <cmath>
#include <variant>

namespace corvane::UsageModel {
namespace {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;  // clang 14 does not deduce aggregates by itself

std::string count(int64_t value)
{
    return Numbers::toText(value);
}

std::string twoDigits(int64_t value)
{
    return (value < 10 ? "0" : "") + count(value);
}

// A time of day from milliseconds of local time, with or without its seconds.
std::string clockText(int64_t localMilliseconds, bool seconds)
{
    constexpr int64_t day = 86400;
    const int64_t second = ((localMilliseconds / 1000) % day + day) % day;
    std::string text = twoDigits(second / 3600) + ":" + twoDigits(second / 60 % 60);
    return seconds ? text + ":" + twoDigits(second % 60) : text;
}

VerdictLine bottleneckLine(const Bottleneck& bottleneck)
{
    return std::visit(
        Overloaded{
            [](const Bottleneck::Memory& memory) {
                return VerdictLine{"memorychip", ColorRole::amber,
                                   "Memory is holding your Mac back. It was under memory pressure " +
                                       count(percentOf(memory.pressureShare)) +
                                       "% of the time. Your next Mac should have at least " +
                                       count(memory.recommendedGB) + " GB of memory.",
                                   std::nullopt};
            },
            [](const Bottleneck::CPU& cpu) {
                return VerdictLine{"cpu", ColorRole::amber,
                                   "Your processor is often maxed out (" + count(percentOf(cpu.busyShare)) +
                                       "% of the time). A Mac with a newer or bigger chip would help with your "
                                       "workload.",
                                   std::nullopt};
            },
            [](const Bottleneck::Storage&) {
                return VerdictLine{"internaldrive", ColorRole::amber,
                                   "Your disk is nearly full. Free up space with Ferncourt, or choose more storage "
                                   "next time.",
                                   FixID::openFerncourt};
            },
        },
        bottleneck.value);
}

} // namespace

std::string macLine(const MacInfo& mac, const std::optional<SystemSignals>& signals)
{
    std::vector<std::string> parts{mac.name, mac.chip, Format::bytes(mac.memoryBytes) + " memory"};
    if (signals)
        parts.push_back(Format::storage(signals->diskTotalBytes) + " storage");
    std::string line;
    for (const auto& part : parts) {
        if (part.empty())
            continue;
        if (!line.empty())
            line += " \u00B7 ";
        line += part;
    }
    return line;
}

double diskFreeShare(const std::optional<SystemSignals>& signals)
{
    if (!signals || signals->diskTotalBytes < 1)
        return 1.0;
    return double(signals->diskFreeBytes) / double(signals->diskTotalBytes);
}

UpgradeVerdict verdict(const std::vector<MinuteRecord>& weekRecords, const std::optional<MacInfo>& mac,
                       int64_t physicalMemory, const std::optional<SystemSignals>& signals)
{
    return UpgradeAdvisor::evaluate(weekRecords, mac ? mac->memoryBytes : physicalMemory, diskFreeShare(signals));
}

int64_t percentOf(double share)
{
    // Shares are ratios of minute counts: settle the binary error of the product first, so
    // that a share of exactly 0.145 (14.499999… in binary) rounds up to 15 as its decimal does.
    const double percent = std::round(share * 100 * 1e6) / 1e6;
    return Numbers::roundToInt64(percent).value_or(0);
}

VerdictCard verdictCard(const UpgradeVerdict& verdict, bool intelMac)
{
    VerdictCard card;
    int hours = 0;
    std::visit(Overloaded{
                   [&](const UpgradeVerdict::NotEnoughData& v) {
                       hours = v.hoursMeasured;
                       card.lines.push_back({"hourglass", ColorRole::text2,
                                             "Not enough data yet. Corvane has measured " + count(hours) +
                                                 " hours. Keep it running (turn on Start at login) and check back "
                                                 "in a few days.",
                                             std::nullopt});
                   },
                   [&](const UpgradeVerdict::Healthy& v) {
                       hours = v.hoursMeasured;
                       card.lines.push_back({"checkmark.seal", ColorRole::green,
                                             "Your Mac has headroom. Over the last 7 days it rarely ran short of "
                                             "memory or processor power. No upgrade needed for how you use it.",
                                             std::nullopt});
                   },
                   [&](const UpgradeVerdict::Bottlenecks& v) {
                       hours = v.hoursMeasured;
                       for (const auto& bottleneck : v.list)
                           card.lines.push_back(bottleneckLine(bottleneck));
                   },
               },
               verdict.value);
    if (intelMac) {
        card.lines.push_back({"exclamationmark.triangle", ColorRole::amber,
                              "This is an Intel Mac. It can't run macOS 27 or later, so plan an upgrade to keep "
                              "getting security updates.",
                              std::nullopt});
    }
    card.footnote =
        "Based on " + count(hours) + " hours measured while Corvane was running. Nothing is uploaded.";
    return card;
}

bool isIntelMac(const std::optional<MacInfo>& mac, bool appleIntelHardware)
{
    return mac && !mac->isAppleSilicon && appleIntelHardware;
}

int64_t cpuFigure(const std::optional<SystemSignals>& signals)
{
    return signals ? Numbers::roundToInt64(signals->cpuLoadPercent).value_or(0) : 0;
}

std::string cpuHeadline(const std::optional<SystemSignals>& signals)
{
    return count(cpuFigure(signals)) + "%";
}

std::string cpuAccessibility(const std::optional<SystemSignals>& signals)
{
    return "CPU load over the last 10 minutes, now " + count(cpuFigure(signals)) + " percent";
}

std::string percentLabel(int value)
{
    return count(value) + "%";
}

TimeAxis cpuTimeAxis(Date first, Date last, int utcOffsetSeconds, int maxTicks)
{
    using std::chrono::milliseconds;
    const int64_t from = std::chrono::duration_cast<milliseconds>(first.time_since_epoch()).count();
    const int64_t span = std::chrono::duration_cast<milliseconds>(last - first).count();
    // Ticks at least a minute apart read alike only as times of day; a second apart,
    // only with their seconds.
    TimeAxis axis;
    for (const int64_t apart : {int64_t(60'000), int64_t(1'000)}) {
        for (int ticks = std::max(maxTicks, 2); ticks >= 2 && axis.ticks == 0; --ticks) {
            if (span / (ticks - 1) >= apart)
                axis = {ticks, apart < 60'000, {}};
        }
    }
    // Spread as the chart spreads them, each on its nearest millisecond.
    for (int i = 0; i < axis.ticks; ++i) {
        const int64_t tick = from + std::llround(double(span) * i / (axis.ticks - 1));
        axis.labels.push_back(clockText(tick + int64_t(utcOffsetSeconds) * 1000, axis.seconds));
    }
    return axis;
}

std::vector<int> labelledBars(int count, int maxLabels)
{
    std::vector<int> bars;
    if (count < 1 || maxLabels < 1)
        return bars;
    const int step = (count + maxLabels - 1) / maxLabels;
    for (int bar = step / 2; bar < count; bar += step)
        bars.push_back(bar);
    return bars;
}

std::array<MemorySegment, 5> memorySegments(const MemoryBreakdown& memory)
{
    std::array<MemorySegment, 5> segments{{
        {"App", memory.app, ColorRole::accent, {}},
        {"Wired", memory.wired, ColorRole::amber, {}},
        {"Compressed", memory.compressed, ColorRole::red, {}},
        {"Cached", memory.cached, ColorRole::sky, {}},
        {"Free", memory.free, ColorRole::raised, {}},
    }};
    for (auto& segment : segments)
        segment.legend = segment.name + " " + Format::bytes(segment.bytes);
    return segments;
}

std::string memoryHeadline(const MemoryBreakdown& memory)
{
    return Format::bytes(memory.used()) + " of " + Format::bytes(memory.total);
}

PressureLine pressureLine(const std::optional<SystemSignals>& signals)
{
    PressureLine line;
    line.swap = "Swap: " + Format::bytes(signals ? signals->swapUsedBytes : 0);
    if (!signals) {
        line.word = "\u2014";
        return line;
    }
    line.word = label(signals->pressure);
    switch (signals->pressure) {
    case Pressure::normal: line.color = ColorRole::green; break;
    case Pressure::elevated: line.color = ColorRole::amber; break;
    case Pressure::critical: line.color = ColorRole::red; break;
    }
    return line;
}

int bucketMinutes(int rangeHours)
{
    return rangeHours == 24 ? 60 : 1440;
}

std::array<HistoryChart, 3> historyCharts(const std::vector<UsageBucket>& buckets)
{
    std::array<HistoryChart, 3> charts{{
        {"Average CPU load", "%", ColorRole::accentLight, {}},
        {"Time under memory pressure", "%", ColorRole::amber, {}},
        {"Swap", " GB", ColorRole::red, {}},
    }};
    for (const auto& bucket : buckets) {
        charts[0].values.push_back(bucket.cpu);
        charts[1].values.push_back(bucket.pressureShare * 100);
        charts[2].values.push_back(std::ldexp(double(bucket.swap), -30));
    }
    return charts;
}

ValueAxis valueAxis(double maxValue)
{
    const double high = std::isfinite(maxValue) && maxValue > 0 ? maxValue : 0;
    double step = 1;
    for (double scale = 1; step * 3 < high; scale *= 10) {
        for (const double factor : {1.0, 2.0, 5.0}) {
            step = factor * scale;
            if (step * 3 >= high)
                break;
        }
    }
    ValueAxis axis;
    axis.top = std::max(step, std::ceil(high / step) * step);
    for (double tick = 0; tick <= axis.top + step / 2; tick += step)
        axis.ticks.push_back(tick);
    return axis;
}

std::string axisLabel(double tick, const std::string& unit)
{
    return count(Numbers::truncateTo<int64_t>(tick).value_or(0)) + unit;
}

HistoryPhase historyPhase(bool keepHistory, const std::vector<UsageBucket>& buckets)
{
    if (!keepHistory)
        return HistoryPhase::off;
    return buckets.empty() ? HistoryPhase::empty : HistoryPhase::charts;
}

} // namespace corvane::UsageModel
