#include "CorvaneApp/InternetModel.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::InternetModel;
using namespace std::chrono_literals;

namespace {

const Date now = Date(std::chrono::seconds(1'800'000'000));

ProcessGroup group(std::string name, std::vector<int32_t> pids)
{
    ProcessGroup g;
    g.id = "/Applications/" + name + ".app";
    g.displayName = std::move(name);
    for (const int32_t pid : pids)
        g.members.push_back(ProcessUsage{pid, 1, 501, "me", "/bin/x", "x", 0, 0});
    return g;
}

SpeedResult speed(double down, Date at, std::optional<int64_t> rpm = std::nullopt,
                  std::optional<double> rtt = std::nullopt)
{
    return SpeedResult{down, 20, rpm, rtt, at};
}

State wiredState()
{
    State state;
    state.link = LinkType::ethernet;
    state.usageLoaded = true;
    return state;
}

} // namespace

TEST(InternetModel, FindingsCardPhasesAndHealthyNote)
{
    State state;
    state.speed = speed(2, now);  // slow, but the link is not known yet
    auto card = findingsCard(state, {}, now);
    EXPECT_EQ(card.phase, FindingsCard::Phase::checking);
    EXPECT_EQ(card.headline, "Checking your connection\u2026");

    state = wiredState();
    card = findingsCard(state, {}, now);
    EXPECT_EQ(card.phase, FindingsCard::Phase::healthy);
    EXPECT_EQ(card.headline, "Your internet looks healthy.");
    EXPECT_EQ(card.note, "Run a speed test to check your internet line too.");

    // A stale slow result is kept from the diagnosis but still counts for the note.
    state.speed = speed(2, now - 3600s);
    card = findingsCard(state, {}, now);
    EXPECT_EQ(card.phase, FindingsCard::Phase::healthy);
    EXPECT_EQ(card.note, "Wi-Fi signal and recent speed look fine.");

    state.speed = speed(2, now - 3599s);
    card = findingsCard(state, {}, now);
    ASSERT_EQ(card.phase, FindingsCard::Phase::findings);
    ASSERT_EQ(card.rows.size(), 1u);
    EXPECT_EQ(card.rows[0].id, "slowLine");
    EXPECT_EQ(card.rows[0].color, ColorRole::red);
    EXPECT_FALSE(card.rows[0].fix);
}

TEST(InternetModel, SpeedFreshnessBoundaries)
{
    EXPECT_TRUE(freshSpeed(speed(50, now - 3599s), now));
    EXPECT_FALSE(freshSpeed(speed(50, now - 3600s), now));
    EXPECT_TRUE(freshSpeed(speed(50, now + 600s), now));  // measured "in the future"
    EXPECT_FALSE(freshSpeed(speed(50, Date(-8'000'000'000s)), now));  // in 1716
    EXPECT_FALSE(freshSpeed(std::nullopt, now));
}

TEST(InternetModel, FindingRowsCarryColourFixAndAppNames)
{
    State state;
    state.link = LinkType::wifi;
    state.wifi = WiFiLink{-75, -90, 100, WiFiBand::ghz5};
    state.usage = {NetUsage{42, "helper", 2'000'000, 0}};
    const auto card = findingsCard(state, {group("Video", {7, 42})}, now);
    ASSERT_EQ(card.phase, FindingsCard::Phase::findings);
    ASSERT_EQ(card.rows.size(), 2u);
    EXPECT_EQ(card.rows[0].kind, FindingKind::weakWiFi);
    EXPECT_EQ(card.rows[0].color, ColorRole::amber);
    EXPECT_EQ(card.rows[0].fix, FixID::openWiFiSettings);
    EXPECT_EQ(card.rows[1].kind, FindingKind::bandwidthHog);
    EXPECT_NE(card.rows[1].headline.find("Video"), std::string::npos);
    EXPECT_FALSE(card.rows[1].fix);

    state.link = LinkType::offline;
    const auto offline = findingsCard(state, {}, now);
    ASSERT_EQ(offline.rows.size(), 1u);
    EXPECT_EQ(offline.rows[0].color, ColorRole::red);
    EXPECT_EQ(offline.rows[0].fix, FixID::openWiFiSettings);
}

TEST(InternetModel, LinkCardByTypeAndSignalGrades)
{
    State state;
    EXPECT_TRUE(linkCard(state).loading);

    state.link = LinkType::other;
    state.wifi = WiFiLink{-50, -90, 866.7, WiFiBand::ghz5};
    auto card = linkCard(state);
    EXPECT_EQ(card.headline, "Connected");
    EXPECT_TRUE(card.rows.empty());

    state.link = LinkType::offline;
    EXPECT_EQ(linkCard(state).headline, "Offline");
    EXPECT_EQ(linkCard(state).headlineColor, ColorRole::red);
    state.link = LinkType::ethernet;
    EXPECT_EQ(linkCard(state).headline, "Wired connection");

    state.link = LinkType::wifi;
    state.wifi.reset();
    card = linkCard(state);
    EXPECT_EQ(card.headline, "Wi-Fi");
    EXPECT_TRUE(card.rows.empty());

    state.wifi = WiFiLink{-60, -90, 866.7, WiFiBand::ghz2_4};
    card = linkCard(state);
    ASSERT_EQ(card.rows.size(), 3u);
    EXPECT_EQ(card.rows[0], (ValueRow{"Signal", "Excellent (-60 dBm)", ColorRole::green}));
    EXPECT_EQ(card.rows[1], (ValueRow{"Band", "2.4 GHz", ColorRole::text}));
    EXPECT_EQ(card.rows[2], (ValueRow{"Wi-Fi link", "866 Mbps between your Mac and router", ColorRole::text}));

    const std::vector<std::pair<int, ValueRow>> grades{
        {-61, {"Signal", "Good (-61 dBm)", ColorRole::green}},  {-70, {"Signal", "Good (-70 dBm)", ColorRole::green}},
        {-71, {"Signal", "Fair (-71 dBm)", ColorRole::amber}},  {-80, {"Signal", "Fair (-80 dBm)", ColorRole::amber}},
        {-81, {"Signal", "Poor (-81 dBm)", ColorRole::red}},
    };
    for (const auto& [rssi, row] : grades) {
        state.wifi->rssi = rssi;
        EXPECT_EQ(linkCard(state).rows[0], row) << rssi;
    }
}

TEST(InternetModel, SpeedCardLinesAndStates)
{
    State state;
    auto card = speedCard(state, now);
    EXPECT_EQ(card.invitation, "See your real download and upload speed.");
    EXPECT_TRUE(card.rows.empty());
    EXPECT_TRUE(card.buttonEnabled);

    state.speed = SpeedResult{2.5, 2.4, 1000, 23.5, now - 90s};
    card = speedCard(state, now);
    ASSERT_EQ(card.rows.size(), 4u);
    EXPECT_EQ(card.rows[0].value, "3 Mbps");
    EXPECT_EQ(card.rows[1].value, "2 Mbps");
    EXPECT_EQ(card.rows[2], (ValueRow{"Responsiveness", "High (1000 RPM)", ColorRole::text}));
    EXPECT_EQ(card.rows[3], (ValueRow{"Latency", "24 ms", ColorRole::text}));
    EXPECT_EQ(card.lastTested, "Last tested 1 minute ago");

    for (const auto& [rpm, word] : std::vector<std::pair<int64_t, std::string>>{
             {999, "Medium (999 RPM)"}, {300, "Medium (300 RPM)"}, {299, "Low (299 RPM)"}}) {
        state.speed->responsivenessRPM = rpm;
        EXPECT_EQ(speedCard(state, now).rows[2].value, word);
    }

    // Without the optional readings their lines are left out; a failure keeps the numbers.
    state.speed = SpeedResult{100, 20, std::nullopt, std::nullopt, now - 86400s};
    state.testError = testFailed;
    card = speedCard(state, now);
    EXPECT_EQ(card.rows.size(), 2u);
    EXPECT_EQ(card.lastTested, "Last tested yesterday");
    EXPECT_EQ(card.error, testFailed);

    state.testing = true;
    card = speedCard(state, now);
    EXPECT_TRUE(card.testing);
    EXPECT_FALSE(card.buttonEnabled);
    EXPECT_TRUE(card.rows.empty());
}

TEST(InternetModel, RelativePhrases)
{
    EXPECT_EQ(relativePhrase(now, now), "now");
    EXPECT_EQ(relativePhrase(now - 5s, now), "5 seconds ago");
    EXPECT_EQ(relativePhrase(now - 3 * 3600s, now), "3 hours ago");
    EXPECT_EQ(relativePhrase(now - 8 * 86400s, now), "last week");
    EXPECT_EQ(relativePhrase(now - 3 * 86400s, now), "3 days ago");
    EXPECT_EQ(relativePhrase(now + 120s, now), "in 2 minutes");
    EXPECT_EQ(relativePhrase(now + 86400s, now), "tomorrow");
    EXPECT_EQ(relativePhrase(Date(-8'000'000'000s), now), "310 years ago");
}

TEST(InternetModel, AppsCardGateGroupingAndLimit)
{
    State state;
    EXPECT_TRUE(appsCard(state, {}).loading);

    // 9999 in every process stays quiet, even when one app adds up to more.
    state.usageLoaded = true;
    state.usage = {NetUsage{1, "a", 9000, 999}, NetUsage{2, "b", 9999, 0}};
    const auto groups = std::vector<ProcessGroup>{group("Browser", {1, 2})};
    auto card = appsCard(state, groups);
    EXPECT_FALSE(card.loading);
    EXPECT_EQ(card.emptyText, "Nothing is using much bandwidth right now.");

    state.usage = {NetUsage{1, "a", 9000, 1000}, NetUsage{2, "b", 1999.9, 0}, NetUsage{9, "loner", 500, 0}};
    card = appsCard(state, groups);
    ASSERT_EQ(card.rows.size(), 2u);
    EXPECT_EQ(card.rows[0], (AppRow{"Browser", "11 KB/s", "1 KB/s"}));
    EXPECT_EQ(card.rows[1].name, "loner");

    // One busy process and six quiet apps: five rows, the busy one first.
    state.usage = {NetUsage{100, "busy", 20000, 0}};
    for (int32_t pid = 1; pid <= 6; ++pid)
        state.usage.push_back(NetUsage{pid, "quiet" + std::to_string(pid), 500, 0});
    card = appsCard(state, {});
    ASSERT_EQ(card.rows.size(), 5u);
    EXPECT_EQ(card.rows[0].name, "busy");
}

TEST(InternetModel, ByAppSumsByNameAndKeepsFirstPid)
{
    const std::vector<ProcessGroup> groups{group("Mail", {5}), group("Mail Helper", {5, 6})};
    const std::vector<NetUsage> usage{NetUsage{6, "helper", 10, 1}, NetUsage{5, "Mail", 1, 1},
                                      NetUsage{8, "Mail", 3, 0}, NetUsage{9, "other", 100, 0}};
    const auto apps = byApp(usage, groups);
    ASSERT_EQ(apps.size(), 3u);
    EXPECT_EQ(apps[0].name, "other");
    EXPECT_EQ(apps[1], (NetUsage{6, "Mail Helper", 10, 1}));
    // pid 5 belongs to the first group that holds it; a process named like the app joins it.
    EXPECT_EQ(apps[2], (NetUsage{5, "Mail", 4, 1}));
}
