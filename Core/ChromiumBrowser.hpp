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

// The browser whose bundle the path names ("/…/Google Chrome.app"), tested in
// case order; nothing when the path does not end in a browser's bundle.
std::optional<ChromiumBrowser> browserFromAppPath(std::string_view appPath);

} // namespace corvane
