#include "Core/TabScript.hpp"

#include "Core/Numbers.hpp"
#include "Core/TabCleanup.hpp"
#include "Core/Text.hpp"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>

namespace corvane::TabScript {
namespace {

constexpr char recordSeparator = '\x1E';
constexpr char unitSeparator = '\x1F';

std::string tellLine(ChromiumBrowser browser)
{
    return "tell application id \"" + toString(browser) + "\"";
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines) {
        if (!text.empty())
            text += '\n';
        text += line;
    }
    return text;
}

std::string wrap(const std::vector<std::string>& lines, ChromiumBrowser browser)
{
    std::vector<std::string> all{tellLine(browser)};
    for (const auto& line : lines)
        all.push_back("    " + line);
    all.push_back("end tell");
    return joinLines(all);
}

// Only ever a normal window, so incognito windows cannot be closed or changed.
std::string windowReference(const std::string& windowID)
{
    return "(first window whose id is " + literal(windowID, false) + " and mode is \"normal\")";
}

} // namespace

std::string list(ChromiumBrowser browser)
{
    // A page controls its title and address, and through the title the window's
    // name: the separators are replaced in those fields so no page can forge a record.
    return joinLines({
        "set RS to character id 30",
        "set US to character id 31",
        "set out to \"\"",
        tellLine(browser),
        "    repeat with w in windows",
        "        set wid to (id of w) as text",
        "        set out to out & \"W\" & US & wid & US & (mode of w) & US & ((active tab index of w) as text)"
        " & US & my stripSeparators(name of w) & RS",
        "        repeat with t in tabs of w",
        "            set out to out & \"T\" & US & wid & US & ((id of t) as text)"
        " & US & my stripSeparators(title of t) & US & my stripSeparators(URL of t) & RS",
        "        end repeat",
        "    end repeat",
        "end tell",
        "return out",
        "on stripSeparators(s)",
        "    set AppleScript's text item delimiters to {character id 30, character id 31}",
        "    set pieces to text items of (s as text)",
        "    set AppleScript's text item delimiters to \" \"",
        "    set s to pieces as text",
        "    set AppleScript's text item delimiters to \"\"",
        "    return s",
        "end stripSeparators",
    });
}

std::string close(const std::vector<BrowserTab>& tabs, ChromiumBrowser browser)
{
    std::vector<std::string> lines;
    for (const auto& tab : tabs) {
        lines.push_back("close (every tab of " + windowReference(tab.windowID) + " whose id is " +
                        literal(tab.tabID, false) + ")");
    }
    return wrap(lines, browser);
}

std::string merge(const MergePlan& plan, ChromiumBrowser browser)
{
    const std::string target = windowReference(plan.targetWindowID);
    std::vector<std::string> lines;
    for (const auto& url : plan.urls)
        lines.push_back("make new tab at end of tabs of " + target + " with properties {URL:" + literal(url, true) + "}");
    for (const auto& id : plan.windowsToClose)
        lines.push_back("close " + windowReference(id));
    return wrap(lines, browser);
}

std::string openMemorySaver(ChromiumBrowser browser)
{
    return wrap({"if (count of windows) is 0 then make new window",
                 "make new tab at end of tabs of front window with properties {URL:" +
                     literal(memorySaverURL(browser), true) + "}",
                 "activate"},
                browser);
}

std::vector<BrowserWindow> parse(std::string_view output, std::string_view appName)
{
    std::map<std::string, int64_t, std::less<>> activeIndex;
    std::vector<BrowserWindow> windows;
    for (const auto record : Text::splitKeepingEmpty(output, recordSeparator)) {
        if (record.empty())
            continue;
        const auto fields = Text::splitKeepingEmpty(record, unitSeparator);
        if (fields.size() != 5)
            continue;
        const std::string windowID(fields[1]);
        if (fields[0] == "W") {
            activeIndex[windowID] = Numbers::parseSignedInt<int64_t>(fields[3]).value_or(1);
            windows.push_back(BrowserWindow{windowID, fields[2] != "normal",
                                            TabCleanup::profile(fields[4], appName), {}});
        } else if (fields[0] == "T") {
            const auto window = std::find_if(windows.rbegin(), windows.rend(),
                                             [&](const BrowserWindow& w) { return w.id == windowID; });
            if (window == windows.rend())
                continue;
            const auto position = static_cast<int64_t>(window->tabs.size()) + 1;
            const auto active = activeIndex.find(windowID);
            window->tabs.push_back(BrowserTab{windowID + "/" + std::string(fields[2]), windowID,
                                              std::string(fields[2]), std::string(fields[3]),
                                              std::string(fields[4]),
                                              active != activeIndex.end() && active->second == position});
        }
    }
    return windows;
}

std::string literal(std::string_view text, bool alwaysQuote)
{
    const bool digitsOnly = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return c >= '0' && c <= '9';
    });
    if (!alwaysQuote && digitsOnly)
        return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace corvane::TabScript
