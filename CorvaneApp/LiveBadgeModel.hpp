#pragma once

#include "Core/Date.hpp"
#include "CorvaneApp/ProcessTableModel.hpp"

#include <optional>
#include <string>

namespace corvane {

// What the live indicator shows for the monitor's pause flag and last check.
struct LiveBadgeModel {
    std::string text;
    Tone dot = Tone::green;
    std::string buttonTitle;
    std::string buttonSymbol;

    bool operator==(const LiveBadgeModel&) const = default;
};

// "Paused", "Checking…", or "Live · checked Ns ago" with whole seconds, never below 0.
std::string liveBadgeLabel(bool paused, std::optional<Date> lastChecked, Date now);

LiveBadgeModel liveBadge(bool paused, std::optional<Date> lastChecked, Date now);

} // namespace corvane
