#pragma once

#include "Core/ChromiumBrowser.hpp"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Telling whether a browser runs, from the processes of /proc.
namespace corvane::BrowserProcesses {

// The names of the executables a browser's processes run on Linux.
std::vector<std::string> executableNames(ChromiumBrowser browser);

// The ids of the desktop entries a browser installs on Linux, its package's
// first, then its Flatpak's.
std::vector<std::string> desktopEntries(ChromiumBrowser browser);

// True when a process of user `uid` runs one of the executables of the browser
// with this bundle identifier. Unknown identifiers and an unreadable tree answer false.
bool isRunning(std::string_view bundleIdentifier, const std::filesystem::path& procRoot, uint32_t uid);

// The same for the current user on the live system.
bool isRunning(std::string_view bundleIdentifier);

} // namespace corvane::BrowserProcesses
