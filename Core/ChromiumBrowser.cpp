#include "Core/ChromiumBrowser.hpp"

#include <algorithm>
#include <array>

namespace corvane {

std::string appName(ChromiumBrowser browser)
{
    switch (browser) {
    case ChromiumBrowser::chrome: return "Google Chrome";
    case ChromiumBrowser::brave: return "Brave Browser";
    case ChromiumBrowser::edge: return "Microsoft Edge";
    }
    return {};
}

std::string memorySaverURL(ChromiumBrowser browser)
{
    if (browser == ChromiumBrowser::edge)
        return "edge://settings/system/managePerformance";
    return "chrome://settings/performance";
}

namespace {

// Where each browser's own package installs its program, and its Flatpak's id: an
// installed app's root is one of these.
std::array<std::string_view, 2> installedRoots(ChromiumBrowser browser)
{
    switch (browser) {
    case ChromiumBrowser::chrome: return {"/opt/google/chrome", "com.google.Chrome"};
    case ChromiumBrowser::brave: return {"/opt/brave.com/brave", "com.brave.Browser"};
    case ChromiumBrowser::edge: return {"/opt/microsoft/msedge", "com.microsoft.Edge"};
    }
    return {};
}

} // namespace

std::optional<ChromiumBrowser> browserFromAppPath(std::string_view appPath)
{
    for (const auto browser : allCases<ChromiumBrowser>()) {
        const auto roots = installedRoots(browser);
        if (appPath.ends_with("/" + appName(browser) + ".app")
            || std::find(roots.begin(), roots.end(), appPath) != roots.end())
            return browser;
    }
    return std::nullopt;
}

} // namespace corvane
