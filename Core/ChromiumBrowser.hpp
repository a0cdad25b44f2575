#pragma once

#include "Core/EnumNames.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// The browsers whose tabs the app can read and clean up. The raw value
// (toString / fromString) is the browser's bundle identifier.
enum class ChromiumBrowser { chrome, brave, edge };

template <>
struct EnumNames<ChromiumBrowser> {
    static constexpr std::array values{std::string_view("com.google.Chrome"),
                                       std::string_view("com.brave.Browser"),
                                       std::string_view("com.microsoft.edgemac")};
};

// The application's name: its bundle is this name + ".app" and its window titles carry it.
std::string appName(ChromiumBrowser browser);

// The browser's own settings page that controls memory saving.
std::string memorySaverURL(ChromiumBrowser browser);

// The browser whose bundle the path names ("/…/Google Chrome.app"), or, for an app
// installed outside a bundle, whose own Linux package folder ("/opt/google/chrome") or
// Flatpak ("com.google.Chrome") it is; tested in case order; nothing otherwise.
std::optional<ChromiumBrowser> browserFromAppPath(std::string_view appPath);

} // namespace corvane
