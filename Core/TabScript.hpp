#pragma once

#include "Core/BrowserWindow.hpp"
#include "Core/ChromiumBrowser.hpp"
#include "Core/MergePlan.hpp"

#include <string>
#include <string_view>
#include <vector>

// The AppleScript texts sent to a browser, and the reading of its tab listing.
// Pure text work: running the scripts is the controller's job.
namespace corvane::TabScript {

// Lists every window and tab as records ending in character 30 with fields
// separated by character 31: "W", window id, mode, active tab index (from 1),
// window name; then "T", window id, tab id, title, address for each tab.
std::string list(ChromiumBrowser browser);

// Closes exactly these tabs, and only in normal (not incognito) windows.
std::string close(const std::vector<BrowserTab>& tabs, ChromiumBrowser browser);

// Reopens the plan's addresses at the end of the target window, then closes the
// plan's other windows; incognito windows are never addressed.
std::string merge(const MergePlan& plan, ChromiumBrowser browser);

// Opens the browser's memory-saving settings in a new tab and brings it to the front.
std::string openMemorySaver(ChromiumBrowser browser);

// The windows of a listing, in its order. Never fails: malformed records are dropped.
std::vector<BrowserWindow> parse(std::string_view output, std::string_view appName);

// A value as an AppleScript literal: digits alone stay bare unless `alwaysQuote`,
// anything else is quoted with backslashes and double quotes escaped.
std::string literal(std::string_view text, bool alwaysQuote);

} // namespace corvane::TabScript
