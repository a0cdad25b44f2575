#pragma once

#include "Core/EnumNames.hpp"

namespace corvane {

// The System Settings panes the app opens; toString gives the pane's deep link and
// fromString builds a pane only from one of these links exactly.
enum class SettingsPane { spotlight, loginItems, displays, accessibilityDisplay, automation, battery, wifi };

template <>
struct EnumNames<SettingsPane> {
    static constexpr std::array values{
        std::string_view("x-apple.systempreferences:com.apple.Spotlight-Settings.extension"),
        std::string_view("x-apple.systempreferences:com.apple.LoginItems-Settings.extension"),
        std::string_view("x-apple.systempreferences:com.apple.Displays-Settings.extension"),
        std::string_view("x-apple.systempreferences:com.apple.Accessibility-Settings.extension?Display"),
        std::string_view("x-apple.systempreferences:com.apple.preference.security?Privacy_Automation"),
        std::string_view("x-apple.systempreferences:com.apple.Battery-Settings.extension"),
        std::string_view("x-apple.systempreferences:com.apple.wifi-settings-extension"),
    };
};

} // namespace corvane
