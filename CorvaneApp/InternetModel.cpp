#include "CorvaneApp/InternetModel.hpp"

#include "Core/Format.hpp"
#include "Core/InternetDiagnosis.hpp"
#include "Core/Numbers.hpp"
#include "Core/Responsiveness.hpp"
#include "Core/Utf8.hpp"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace corvane::InternetModel {
namespace {

std::string wholeNumber(std::optional<int64_t> value)
{
    return Numbers::toText(value.value_or(0));
}

std::string rounded(double value)
{
    return wholeNumber(Numbers::roundToInt64(value));
}

// A byte rate cut to whole bytes; the probes deliver finite rates within range.
std::string rate(double bytesPerSec)
{
    return Format::bytes(Numbers::truncateTo<int64_t>(bytesPerSec).value_or(0)) + "/s";
}

ColorRole signalColor(int rssi)
{
    if (rssi >= -70)
        return ColorRole::green;
    if (rssi >= -80)
        return ColorRole::amber;
    return ColorRole::red;
}

ColorRole severityColor(Severity severity)
{
    return severity == Severity::low || severity == Severity::medium ? ColorRole::amber : ColorRole::red;
}

} // namespace

std::optional<std::string> appName(const std::vector<ProcessGroup>& groups, int32_t pid)
{
    for (const auto& group : groups) {
        for (const auto& member : group.members) {
            if (member.pid == pid)
                return group.displayName;
        }
    }
    return std::nullopt;
}

std::optional<SpeedResult> freshSpeed(const std::optional<SpeedResult>& speed, Date now)
{
    if (speed && secondsBetween(speed->measuredAt, now) < speedFreshSeconds)
        return speed;
    return std::nullopt;
}

std::vector<Finding> findings(const State& state, const std::vector<ProcessGroup>& groups, Date now)
{
    if (!state.link)
        return {};
    return InternetDiagnosis::run(*state.link, state.wifi, freshSpeed(state.speed, now), state.usage,
                                  [&groups](int32_t pid) { return appName(groups, pid); });
}

std::vector<NetUsage> byApp(const std::vector<NetUsage>& usage, const std::vector<ProcessGroup>& groups)
{
    std::vector<NetUsage> records;
    std::unordered_map<std::string, std::size_t> indexOfKey;
    for (const auto& entry : usage) {
        std::string key = appName(groups, entry.pid).value_or(entry.name);
        const auto [it, inserted] = indexOfKey.try_emplace(key, records.size());
        if (inserted) {
            records.push_back(NetUsage{entry.pid, std::move(key), 0, 0});
        }
        NetUsage& record = records[it->second];
        record.bytesInPerSec += entry.bytesInPerSec;
        record.bytesOutPerSec += entry.bytesOutPerSec;
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const NetUsage& a, const NetUsage& b) { return a.total() > b.total(); });
    return records;
}

FindingsCard findingsCard(const State& state, const std::vector<ProcessGroup>& groups, Date now)
{
    FindingsCard card;
    if (!state.link) {
        card.headline = "Checking your connection\u2026";
        return card;
    }
    const auto found = findings(state, groups, now);
    if (found.empty()) {
        card.phase = FindingsCard::Phase::healthy;
        card.headline = "Your internet looks healthy.";
        card.note = state.speed ? "Wi-Fi signal and recent speed look fine."
                                : "Run a speed test to check your internet line too.";
        return card;
    }
    card.phase = FindingsCard::Phase::findings;
    for (const auto& finding : found) {
        card.rows.push_back(FindingRow{finding.id, finding.kind, severityColor(finding.severity), finding.headline,
                                       finding.detail, finding.primaryFix});
    }
    return card;
}

LinkCard linkCard(const State& state)
{
    LinkCard card;
    if (!state.link)
        return card;
    card.loading = false;
    switch (*state.link) {
    case LinkType::wifi:
        card.headline = "Wi-Fi";
        if (const auto& wifi = state.wifi) {
            card.rows = {
                {"Signal", label(wifi->quality()) + " (" + Numbers::toText(wifi->rssi) + " dBm)",
                 signalColor(wifi->rssi)},
                {"Band", label(wifi->band), ColorRole::text},
                {"Wi-Fi link",
                 wholeNumber(Numbers::truncateTo<int64_t>(wifi->transmitRateMbps)) + " Mbps between your Mac and router",
                 ColorRole::text},
            };
        }
        break;
    case LinkType::ethernet: card.headline = "Wired connection"; break;
    case LinkType::other: card.headline = "Connected"; break;
    case LinkType::offline:
        card.headline = "Offline";
        card.headlineColor = ColorRole::red;
        break;
    }
    return card;
}

SpeedCard speedCard(const State& state, Date now)
{
    SpeedCard card;
    card.testing = state.testing;
    card.buttonEnabled = !state.testing;
    card.error = state.testError;
    if (state.testing)
        return card;
    const auto& speed = state.speed;
    if (!speed) {
        card.invitation = "See your real download and upload speed.";
        return card;
    }
    card.rows.push_back({"Download", rounded(speed->downloadMbps) + " Mbps", ColorRole::text});
    card.rows.push_back({"Upload", rounded(speed->uploadMbps) + " Mbps", ColorRole::text});
    if (const auto rpm = speed->responsivenessRPM) {
        card.rows.push_back({"Responsiveness", label(responsiveness(*rpm)) + " (" + Numbers::toText(*rpm) + " RPM)",
                             ColorRole::text});
    }
    if (const auto rtt = speed->baseRTTms)
        card.rows.push_back({"Latency", rounded(*rtt) + " ms", ColorRole::text});
    card.lastTested = "Last tested " + relativePhrase(speed->measuredAt, now);
    return card;
}

AppsCard appsCard(const State& state, const std::vector<ProcessGroup>& groups)
{
    AppsCard card;
    if (!state.usageLoaded)
        return card;
    card.loading = false;
    const bool busy = std::any_of(state.usage.begin(), state.usage.end(),
                                  [](const NetUsage& entry) { return entry.total() >= busyBytesPerSec; });
    if (!busy) {
        card.emptyText = "Nothing is using much bandwidth right now.";
        return card;
    }
    const auto apps = byApp(state.usage, groups);
    for (std::size_t i = 0; i < apps.size() && i < appRowLimit; ++i)
        card.rows.push_back(
            {Utf8::nameForDisplay(apps[i].name), rate(apps[i].bytesInPerSec), rate(apps[i].bytesOutPerSec)});
    return card;
}

std::string relativePhrase(Date then, Date now)
{
    struct Unit {
        double seconds;
        const char* name;
        const char* last;  // the named form for exactly one unit in the past, if any
        const char* next;
    };
    static constexpr Unit units[] = {
        {365 * 86400.0, "year", "last year", "next year"},
        {30 * 86400.0, "month", "last month", "next month"},
        {7 * 86400.0, "week", "last week", "next week"},
        {86400.0, "day", "yesterday", "tomorrow"},
        {3600.0, "hour", nullptr, nullptr},
        {60.0, "minute", nullptr, nullptr},
        {1.0, "second", nullptr, nullptr},
    };
    const double delta = secondsBetween(then, now);
    const bool past = delta >= 0;
    const double distance = std::isfinite(delta) ? std::fabs(delta) : 0;
    for (const auto& unit : units) {
        const int64_t count = Numbers::truncateTo<int64_t>(distance / unit.seconds).value_or(0);
        if (count < 1)
            continue;
        if (count == 1 && unit.last)
            return past ? unit.last : unit.next;
        const std::string amount = Numbers::toText(count) + " " + unit.name + (count == 1 ? "" : "s");
        return past ? amount + " ago" : "in " + amount;
    }
    return "now";
}

} // namespace corvane::InternetModel
