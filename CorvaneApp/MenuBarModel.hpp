#pragma once

#include "Core/Date.hpp"
#include "Core/Finding.hpp"
#include "Core/ProcessGroup.hpp"

#include <optional>
#include <string>
#include <vector>

namespace corvane {

class Monitor;

// One of the busiest apps in the popover.
struct MenuBarRow {
    std::string id;
    std::string name;
    std::string cpu;

    bool operator==(const MenuBarRow&) const = default;
};

// The popover's one-click fix for the most important finding.
struct HeroFix {
    FixID fix;
    std::optional<std::string> groupID;
    std::string title;
    std::string symbol;

    bool operator==(const HeroFix&) const = default;
};

// What the tray popover shows of one check.
struct MenuBarModel {
    // None while nothing can be checked: the headline then says why.
    std::optional<Status> status = Status::quiet;
    std::string headline;
    std::vector<MenuBarRow> rows;
    std::optional<HeroFix> heroFix;

    bool operator==(const MenuBarModel&) const = default;
};

// The popover for the Monitor's last result and the groups published with it (busiest first).
MenuBarModel menuBarModel(const Monitor& monitor);

// The last-check line: "checking…" before the first check, else "checked 12s ago".
std::string liveDotText(const std::optional<Date>& lastChecked, Date now);

} // namespace corvane
