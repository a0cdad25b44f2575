#include "Core/ChromiumBrowser.hpp"

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

std::optional<ChromiumBrowser> browserFromAppPath(std::string_view appPath)
{
    for (const auto browser : allCases<ChromiumBrowser>()) {
        if (appPath.ends_with("/" + appName(browser) + ".app"))
            return browser;
    }
    return std::nullopt;
}

} // namespace corvane
