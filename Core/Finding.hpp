#pragma once

#include "Core/EnumNames.hpp"
#include "Core/FixID.hpp"

#include <optional>
#include <string>
#include <vector>

namespace corvane {

enum class Severity : int { low = 1, medium = 2, high = 3, critical = 4 };

// The severity with that raw value (1...4), or nothing.
std::optional<Severity> severityFromRaw(int raw);

enum class FindingKind {
    heat,
    memory,
    cpuHog,
    spotlight,
    photos,
    windowServer,
    browser,
    lowDisk,
    longUptime,
    lowPower,
    stuckApp,
    offline,
    weakWiFi,
    band24,
    slowLine,
    laggy,
    bandwidthHog,
};

template <>
struct EnumNames<FindingKind> {
    static constexpr std::array values{
        std::string_view("heat"),       std::string_view("memory"),    std::string_view("cpuHog"),
        std::string_view("spotlight"),  std::string_view("photos"),    std::string_view("windowServer"),
        std::string_view("browser"),    std::string_view("lowDisk"),   std::string_view("longUptime"),
        std::string_view("lowPower"),   std::string_view("stuckApp"),  std::string_view("offline"),
        std::string_view("weakWiFi"),   std::string_view("band24"),    std::string_view("slowLine"),
        std::string_view("laggy"),      std::string_view("bandwidthHog"),
    };
};

// One diagnosed cause.
struct Finding {
    // The id is derived: the kind's name, or the kind's name + ":" + the group id.
    Finding(FindingKind kind, Severity severity, std::string headline, std::string detail,
            std::optional<std::string> groupID = std::nullopt,
            std::optional<FixID> primaryFix = std::nullopt,
            std::optional<std::string> leaveNote = std::nullopt);

    std::string id;
    FindingKind kind;
    Severity severity;
    std::string headline;
    std::string detail;
    std::optional<std::string> groupID;
    std::optional<FixID> primaryFix;
    std::optional<std::string> leaveNote;

    bool operator==(const Finding&) const = default;
};

enum class Status { quiet, busy, struggling };

template <>
struct EnumNames<Status> {
    static constexpr std::array values{std::string_view("quiet"), std::string_view("busy"),
                                       std::string_view("struggling")};
};

// struggling with any high or critical finding, busy with any finding, else quiet.
Status statusOf(const std::vector<Finding>& findings);

struct DiagnosisResult {
    Status status = Status::quiet;
    std::vector<Finding> findings;  // display order

    DiagnosisResult() = default;
    explicit DiagnosisResult(std::vector<Finding> ordered);

    // The first finding, shown large.
    std::optional<Finding> hero() const;
    // The findings after the hero, at most four.
    std::vector<Finding> more() const;

    bool operator==(const DiagnosisResult&) const = default;
};

} // namespace corvane
