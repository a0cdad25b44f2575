#pragma once

#include "Core/BrowserTab.hpp"

#include <optional>
#include <string>
#include <vector>

namespace corvane {

// One browser window with its tabs, as the tab listing reports it.
struct BrowserWindow {
    std::string id;
    bool isIncognito = false;
    std::optional<std::string> profile;  // absent for the default profile
    std::vector<BrowserTab> tabs;        // in the browser's order

    bool operator==(const BrowserWindow&) const = default;
};

} // namespace corvane
