#pragma once

#include "Core/EnumNames.hpp"

namespace corvane {

// The one-click fixes; the raw values are the case names, which the catalog file uses.
enum class FixID {
    explain,
    openSpotlightSettings,
    openLoginItemsSettings,
    openDisplaySettings,
    openAccessibilityDisplay,
    openBatterySettings,
    openWiFiSettings,
    quitApp,
    rebuildSpotlightIndex,
    reviewTabs,
    openFerncourt,
    restartMac,
};

template <>
struct EnumNames<FixID> {
    static constexpr std::array values{
        std::string_view("explain"),
        std::string_view("openSpotlightSettings"),
        std::string_view("openLoginItemsSettings"),
        std::string_view("openDisplaySettings"),
        std::string_view("openAccessibilityDisplay"),
        std::string_view("openBatterySettings"),
        std::string_view("openWiFiSettings"),
        std::string_view("quitApp"),
        std::string_view("rebuildSpotlightIndex"),
        std::string_view("reviewTabs"),
        std::string_view("openFerncourt"),
        std::string_view("restartMac"),
    };
};

} // namespace corvane
