#pragma once

#include "Core/Date.hpp"
#include "CorvaneApp/ProcessTableModel.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

// What the live indicator shows for the monitor's pause flag and last check.
struct LiveBadgeModel {
    std::string text;
    ColorRole dot = ColorRole::green;
    std::string buttonTitle;
    std::string buttonSymbol;

    bool operator==(const LiveBadgeModel&) const = default;
};

// Whole seconds from the last check to `now`: 0 for a clock set back, the largest
// count for an absurd gap.
int64_t secondsSinceCheck(Date lastChecked, Date now);

// "Paused", "Checking…", or "Live · checked Ns ago" with whole seconds, never below 0.
std::string liveBadgeLabel(bool paused, std::optional<Date> lastChecked, Date now);

LiveBadgeModel liveBadge(bool paused, std::optional<Date> lastChecked, Date now);

} // namespace corvane
