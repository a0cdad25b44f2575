#include "Platform/BrowserProcesses.hpp"

#include "Core/Text.hpp"
#include "Platform/ProcFS.hpp"

#include <algorithm>
#include <unistd.h>

namespace corvane::BrowserProcesses {

std::vector<std::string> executableNames(ChromiumBrowser browser)
{
    switch (browser) {
    case ChromiumBrowser::chrome: return {"google-chrome", "chrome"};
    case ChromiumBrowser::brave: return {"brave"};
    case ChromiumBrowser::edge: return {"msedge"};
    }
    return {};
}

std::vector<std::string> desktopEntries(ChromiumBrowser browser)
{
    switch (browser) {
    case ChromiumBrowser::chrome: return {"google-chrome", "com.google.Chrome"};
    case ChromiumBrowser::brave: return {"brave-browser", "com.brave.Browser"};
    case ChromiumBrowser::edge: return {"microsoft-edge", "com.microsoft.Edge"};
    }
    return {};
}

bool isRunning(std::string_view bundleIdentifier, const std::filesystem::path& procRoot, uint32_t uid)
{
    const auto browser = fromString<ChromiumBrowser>(bundleIdentifier);
    if (!browser)
        return false;
    const auto names = executableNames(*browser);
    std::vector<int32_t> pids;
    try {
        pids = ProcFS::listPids(procRoot);
    } catch (const std::filesystem::filesystem_error&) {
        return false;
    }
    return std::any_of(pids.begin(), pids.end(), [&](int32_t pid) {
        if (ProcFS::effectiveUID(procRoot, pid) != uid)
            return false;
        const auto path = ProcFS::executablePath(procRoot, pid);
        return path && std::find(names.begin(), names.end(), Text::lastPathComponent(*path)) != names.end();
    });
}

bool isRunning(std::string_view bundleIdentifier)
{
    return isRunning(bundleIdentifier, "/proc", ::geteuid());
}

} // namespace corvane::BrowserProcesses
