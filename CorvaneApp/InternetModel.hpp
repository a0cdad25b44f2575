#pragma once

#include "Core/Date.hpp"
#include "Core/Finding.hpp"
#include "Core/LinkType.hpp"
#include "Core/NetUsage.hpp"
#include "Core/ProcessGroup.hpp"
#include "Core/SpeedResult.hpp"
#include "Core/WiFiLink.hpp"
#include "CorvaneApp/ColorRole.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the Internet screen shows, derived from its own probe state and the monitor's
// groups. Nothing here touches widgets, so every text and rule can be checked directly.
namespace corvane::InternetModel {

// The screen's state for one showing.
struct State {
    std::optional<LinkType> link;  // absent until the first link reading
    std::optional<WiFiLink> wifi;
    std::vector<NetUsage> usage;
    bool usageLoaded = false;
    std::optional<SpeedResult> speed;  // the last result, of any age
    bool testing = false;
    std::optional<std::string> testError;
};

inline constexpr const char* title = "Internet";
inline constexpr const char* subtitle = "Find out if it's your Mac, your Wi-Fi, or your internet line.";

inline constexpr const char* confirmTitle = "Test your internet speed?";
inline constexpr const char* confirmMessage =
    "Corvane uses Apple's built-in test against Apple's servers. It takes about 25 seconds and can use "
    "several hundred MB of data on fast connections.";
inline constexpr const char* confirmRun = "Run test";
inline constexpr const char* testFailed = "The speed test didn't finish. Check your connection and try again.";

// A result older than this no longer speaks for the line.
inline constexpr double speedFreshSeconds = 3600;
// A process moving this many bytes a second makes the apps list worth showing.
inline constexpr double busyBytesPerSec = 10000;
inline constexpr std::size_t appRowLimit = 5;

// The display name of the first group holding the process, in the monitor's order.
std::optional<std::string> appName(const std::vector<ProcessGroup>& groups, int32_t pid);

// The result given to the diagnosis: the stored one while it is less than an hour old
// (one from the future counts as fresh).
std::optional<SpeedResult> freshSpeed(const std::optional<SpeedResult>& speed, Date now);

// The internet findings; none until the link is known.
std::vector<Finding> findings(const State& state, const std::vector<ProcessGroup>& groups, Date now);

// One record per app (or per process name outside any app), rates summed, busiest first;
// equal totals keep the order in which their app first appears.
std::vector<NetUsage> byApp(const std::vector<NetUsage>& usage, const std::vector<ProcessGroup>& groups);

// A label and a value on one line.
struct ValueRow {
    std::string label;
    std::string value;
    ColorRole color = ColorRole::text;
    bool operator==(const ValueRow&) const = default;
};

struct FindingRow {
    std::string id;
    FindingKind kind = FindingKind::offline;  // picks the row's symbol
    ColorRole color = ColorRole::amber;
    std::string headline;
    std::string detail;
    std::optional<FixID> fix;
    bool operator==(const FindingRow&) const = default;
};

struct FindingsCard {
    enum class Phase { checking, healthy, findings };
    Phase phase = Phase::checking;
    std::string headline;  // "Checking your connection…" or the healthy line
    std::string note;      // under the healthy line
    std::vector<FindingRow> rows;
};
FindingsCard findingsCard(const State& state, const std::vector<ProcessGroup>& groups, Date now);

struct LinkCard {
    bool loading = true;
    std::string headline;
    ColorRole headlineColor = ColorRole::text;
    std::vector<ValueRow> rows;  // the Wi-Fi lines
};
LinkCard linkCard(const State& state);

struct SpeedCard {
    bool testing = false;
    std::string invitation;      // when there is no result
    std::vector<ValueRow> rows;  // the result's lines
    std::string lastTested;      // under the result
    std::optional<std::string> error;
    bool buttonEnabled = true;
};
SpeedCard speedCard(const State& state, Date now);

struct AppRow {
    std::string name;
    std::string down;  // "1.2 MB/s"
    std::string up;
    bool operator==(const AppRow&) const = default;
};

struct AppsCard {
    bool loading = true;
    std::string emptyText;  // when nothing moves much
    std::vector<AppRow> rows;
};
AppsCard appsCard(const State& state, const std::vector<ProcessGroup>& groups);

// "5 minutes ago", "yesterday", "in 2 hours", "now": the distance between two moments
// in the largest whole unit, with the named forms for one day, week, month or year.
std::string relativePhrase(Date then, Date now);

} // namespace corvane::InternetModel
