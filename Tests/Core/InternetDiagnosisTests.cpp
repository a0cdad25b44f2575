#include "Core/InternetDiagnosis.hpp"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

const InternetDiagnosis::AppNamer noApps = [](int32_t) { return std::optional<std::string>(); };

WiFiLink wifiAt(int rssi, WiFiBand band = WiFiBand::ghz5)
{
    return WiFiLink{rssi, -90, 400, band};
}

SpeedResult speedOf(double downloadMbps, std::optional<int64_t> rpm = std::nullopt)
{
    return SpeedResult{downloadMbps, 10, rpm, 20.0, Date{}};
}

std::vector<Finding> diagnose(LinkType link, std::optional<WiFiLink> wifi, std::optional<SpeedResult> speed = {},
                              std::vector<NetUsage> usage = {}, const InternetDiagnosis::AppNamer& names = noApps)
{
    return InternetDiagnosis::run(link, wifi, speed, usage, names);
}

std::vector<std::string> ids(const std::vector<Finding>& findings)
{
    std::vector<std::string> result;
    for (const auto& finding : findings)
        result.push_back(finding.id);
    return result;
}

} // namespace

TEST(InternetDiagnosis, OfflineIsTheOnlyFindingWhateverElseIsWrong)
{
    EXPECT_EQ(diagnose(LinkType::offline, wifiAt(-90, WiFiBand::ghz2_4), speedOf(1, 50), {{7, "backup", 5e6, 0}}),
              (std::vector<Finding>{Finding(FindingKind::offline, Severity::high, "You're offline.",
                                            "Check Wi-Fi or your network cable.", std::nullopt,
                                            FixID::openWiFiSettings)}));
}

TEST(InternetDiagnosis, WiFiSignalThresholds)
{
    EXPECT_TRUE(diagnose(LinkType::wifi, wifiAt(-70)).empty());
    EXPECT_EQ(diagnose(LinkType::wifi, wifiAt(-71)),
              (std::vector<Finding>{Finding(FindingKind::weakWiFi, Severity::medium, "Your Wi-Fi signal is only fair.",
                                            "Move closer to your router or remove obstacles. Signal: -71 dBm.",
                                            std::nullopt, FixID::openWiFiSettings)}));
    EXPECT_EQ(diagnose(LinkType::wifi, wifiAt(-80)).at(0).severity, Severity::medium);
    const auto weak = diagnose(LinkType::wifi, wifiAt(-81)).at(0);
    EXPECT_EQ(weak.severity, Severity::high);
    EXPECT_EQ(weak.headline, "Your Wi-Fi signal is weak.");
}

TEST(InternetDiagnosis, SlowBandOnlyWhenTheSignalIsNotWeakAndWiFiCarriesTheTraffic)
{
    EXPECT_EQ(diagnose(LinkType::wifi, wifiAt(-55, WiFiBand::ghz2_4)),
              (std::vector<Finding>{Finding(FindingKind::band24, Severity::low, "You're on 2.4 GHz Wi-Fi.",
                                            "5 GHz is usually much faster if your router supports it.")}));
    EXPECT_EQ(ids(diagnose(LinkType::wifi, wifiAt(-75, WiFiBand::ghz2_4))), (std::vector<std::string>{"weakWiFi"}));
    EXPECT_TRUE(diagnose(LinkType::ethernet, wifiAt(-90, WiFiBand::ghz2_4)).empty());
    EXPECT_TRUE(diagnose(LinkType::other, wifiAt(-90, WiFiBand::ghz2_4)).empty());
}

TEST(InternetDiagnosis, SlowLineThresholdHeadlineAndWhomItBlames)
{
    EXPECT_TRUE(diagnose(LinkType::ethernet, std::nullopt, speedOf(10.0)).empty());
    EXPECT_EQ(diagnose(LinkType::ethernet, std::nullopt, speedOf(9.5)),
              (std::vector<Finding>{Finding(FindingKind::slowLine, Severity::high, "Your internet is slow: 10 Mbps down.",
                                            "Your wired connection is fine, so the slowdown is your internet line "
                                            "or router.")}));
    const auto detailFor = [](LinkType link, std::optional<WiFiLink> wifi) {
        for (const auto& finding : diagnose(link, wifi, speedOf(4)))
            if (finding.kind == FindingKind::slowLine)
                return finding.detail;
        return std::string("no slowLine finding");
    };
    EXPECT_EQ(detailFor(LinkType::ethernet, wifiAt(-90)),
              "Your wired connection is fine, so the slowdown is your internet line or router.");
    EXPECT_EQ(detailFor(LinkType::wifi, wifiAt(-70)),
              "Your Wi-Fi is fine, so the slowdown is your internet line or router.");
    EXPECT_EQ(detailFor(LinkType::wifi, wifiAt(-71)), "Weak Wi-Fi may be part of it.");
    EXPECT_EQ(detailFor(LinkType::wifi, std::nullopt), "Weak Wi-Fi may be part of it.");
}

TEST(InternetDiagnosis, LagThreshold)
{
    EXPECT_TRUE(diagnose(LinkType::ethernet, std::nullopt, speedOf(100, 300)).empty());
    EXPECT_TRUE(diagnose(LinkType::ethernet, std::nullopt, speedOf(100)).empty());
    EXPECT_EQ(diagnose(LinkType::ethernet, std::nullopt, speedOf(100, 299)),
              (std::vector<Finding>{Finding(FindingKind::laggy, Severity::medium,
                                            "Your connection gets laggy when it's busy.",
                                            "Video calls and games may stutter while something else downloads.")}));
}

TEST(InternetDiagnosis, BandwidthUsersFromOneMegabytePerSecondNamedByTheirApp)
{
    const std::vector<NetUsage> usage{
        {10, "justUnder", 999'999, 0}, {11, "backupd", 600'000, 400'000}, {20, "helper", 1'500'000.9, 0}};
    const InternetDiagnosis::AppNamer names = [](int32_t pid) {
        return pid == 20 ? std::optional<std::string>("Photos") : std::nullopt;
    };
    const auto findings = diagnose(LinkType::ethernet, std::nullopt, std::nullopt, usage, names);
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0], Finding(FindingKind::bandwidthHog, Severity::medium,
                                   "backupd is using 977 KB/s of your connection.", "Down 586 KB/s, up 391 KB/s.",
                                   "pid:11"));
    EXPECT_EQ(findings[0].id, "bandwidthHog:pid:11");
    EXPECT_EQ(findings[1].headline, "Photos is using 1.4 MB/s of your connection.");
    // Rates beyond the integer range show at its bound rather than being converted.
    EXPECT_EQ(diagnose(LinkType::ethernet, std::nullopt, std::nullopt, {{5, "flood", 1e300, 1e300}}).at(0).headline,
              "flood is using 8,388,608 TB/s of your connection.");
}

TEST(InternetDiagnosis, HighestSeverityFirstThenTheOrderTheRulesRan)
{
    const auto findings = diagnose(LinkType::wifi, wifiAt(-75, WiFiBand::ghz2_4), speedOf(6, 200),
                                   {{30, "zoom.us", 1'500'000, 500'000}});
    EXPECT_EQ(ids(findings), (std::vector<std::string>{"slowLine", "weakWiFi", "laggy", "bandwidthHog:pid:30"}));
    EXPECT_EQ(findings[0].detail, "Weak Wi-Fi may be part of it.");
}
