#pragma once

#include "Core/BrowserWindow.hpp"
#include "Core/MergePlan.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the browser-tabs screen offers to clean up. Incognito windows are never touched.
namespace corvane::TabCleanup {

// A browser's extension processes.
struct ExtensionUsage {
    int64_t count = 0;
    int64_t memoryBytes = 0;  // summed resident memory

    bool operator==(const ExtensionUsage&) const = default;
};

// The profile name after the last " - <appName> - " in a window name, trimmed of
// spaces and tabs; nothing when there is no such marker or nothing follows it.
std::optional<std::string> profile(std::string_view windowName, std::string_view appName);

// The form in which two addresses are compared: no fragment, lower-case scheme
// and host, one trailing "/" removed. A text that is no address stays as it is.
std::string normalize(std::string_view url);

// The tabs that repeat an earlier tab of the same profile, in window then tab order.
std::vector<BrowserTab> duplicates(const std::vector<BrowserWindow>& windows);

// Merging the profile with the most normal windows into its window with the most
// tabs; nothing when no profile has two windows. Equally large profiles: the one
// whose first window comes first.
std::optional<MergePlan> mergePlan(const std::vector<BrowserWindow>& windows);

// The extension processes inside the browser's bundle in a "pid rss args" process
// listing (resident size in KiB).
ExtensionUsage extensions(std::string_view psArgs, std::string_view appPath);

} // namespace corvane::TabCleanup
