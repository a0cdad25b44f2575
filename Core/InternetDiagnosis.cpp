#include "Core/InternetDiagnosis.hpp"

#include "Core/Format.hpp"
#include "Core/Numbers.hpp"
#include "Core/Utf8.hpp"

#include <algorithm>
#include <limits>

namespace corvane::InternetDiagnosis {
namespace {

constexpr int weakSignal = -70;       // below this the signal is only fair
constexpr int veryWeakSignal = -80;   // below this it is weak
constexpr double slowMbps = 10.0;
constexpr int64_t laggyRPM = 300;
constexpr double hogBytesPerSec = 1'000'000;

// Format::bytes of a rate truncated to whole bytes; rates beyond the integer range show at its bounds.
std::string bytes(double count)
{
    const auto whole = Numbers::truncateTo<int64_t>(count);
    if (whole)
        return Format::bytes(*whole);
    return Format::bytes(count > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min());
}

void judgeWiFi(const WiFiLink& wifi, std::vector<Finding>& findings)
{
    if (wifi.rssi < weakSignal) {
        const bool veryWeak = wifi.rssi < veryWeakSignal;
        findings.emplace_back(FindingKind::weakWiFi, veryWeak ? Severity::high : Severity::medium,
                              veryWeak ? "Your Wi-Fi signal is weak." : "Your Wi-Fi signal is only fair.",
                              "Move closer to your router or remove obstacles. Signal: " +
                                  Numbers::toText(wifi.rssi) + " dBm.",
                              std::nullopt, FixID::openWiFiSettings);
    } else if (wifi.band == WiFiBand::ghz2_4) {
        findings.emplace_back(FindingKind::band24, Severity::low, "You're on 2.4 GHz Wi-Fi.",
                              "5 GHz is usually much faster if your router supports it.");
    }
}

void judgeSpeed(LinkType link, const std::optional<WiFiLink>& wifi, const SpeedResult& speed,
                std::vector<Finding>& findings)
{
    if (speed.downloadMbps < slowMbps) {
        std::string detail = "Weak Wi-Fi may be part of it.";
        if (link == LinkType::ethernet)
            detail = "Your wired connection is fine, so the slowdown is your internet line or router.";
        else if (wifi && wifi->rssi >= weakSignal)
            detail = "Your Wi-Fi is fine, so the slowdown is your internet line or router.";
        const int64_t shown = Numbers::roundToInt64(speed.downloadMbps).value_or(0);
        findings.emplace_back(FindingKind::slowLine, Severity::high,
                              "Your internet is slow: " + Numbers::toText(shown) + " Mbps down.", std::move(detail));
    }
    if (speed.responsivenessRPM && *speed.responsivenessRPM < laggyRPM) {
        findings.emplace_back(FindingKind::laggy, Severity::medium, "Your connection gets laggy when it's busy.",
                              "Video calls and games may stutter while something else downloads.");
    }
}

} // namespace

std::vector<Finding> run(LinkType link, const std::optional<WiFiLink>& wifi, const std::optional<SpeedResult>& speed,
                         const std::vector<NetUsage>& usage, const AppNamer& appName)
{
    if (link == LinkType::offline) {
        return {Finding(FindingKind::offline, Severity::high, "You're offline.", "Check Wi-Fi or your network cable.",
                        std::nullopt, FixID::openWiFiSettings)};
    }
    std::vector<Finding> findings;
    if (link == LinkType::wifi && wifi)
        judgeWiFi(*wifi, findings);
    if (speed)
        judgeSpeed(link, wifi, *speed, findings);
    for (const auto& entry : usage) {
        if (!(entry.total() >= hogBytesPerSec))
            continue;
        const std::string name = Utf8::nameForDisplay(appName(entry.pid).value_or(entry.name));
        findings.emplace_back(FindingKind::bandwidthHog, Severity::medium,
                              name + " is using " + bytes(entry.total()) + "/s of your connection.",
                              "Down " + bytes(entry.bytesInPerSec) + "/s, up " + bytes(entry.bytesOutPerSec) + "/s.",
                              "pid:" + Numbers::toText(entry.pid));
    }
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.severity > b.severity; });
    return findings;
}

} // namespace corvane::InternetDiagnosis
