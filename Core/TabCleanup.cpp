#include "Core/TabCleanup.hpp"

#include "Core/Numbers.hpp"
#include "Core/Text.hpp"
#include "Core/URLComponents.hpp"

#include <algorithm>
#include <set>
#include <utility>

namespace corvane::TabCleanup {
namespace {

// ASCII letters lowered; the hex digits of "%XX" escapes keep their case.
std::string lowercased(std::string_view text)
{
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '%')
            i += 2;
        else if (out[i] >= 'A' && out[i] <= 'Z')
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
    }
    return out;
}

std::string profileKey(const BrowserWindow& window)
{
    return window.profile.value_or("");
}

// The second space-separated word and the rest of the line after the space that
// ends it, unchanged; nothing when the line has fewer than three parts.
std::optional<std::pair<std::string_view, std::string_view>> sizeAndCommand(std::string_view line)
{
    std::string_view word;
    for (int i = 0; i < 2; ++i) {
        const auto start = line.find_first_not_of(' ');
        const auto end = line.find(' ', start);
        if (end == std::string_view::npos)
            return std::nullopt;
        word = line.substr(start, end - start);
        line.remove_prefix(end + 1);
    }
    if (line.empty())
        return std::nullopt;
    return std::pair{word, line};
}

} // namespace

std::optional<std::string> profile(std::string_view windowName, std::string_view appName)
{
    const std::string marker = " - " + std::string(appName) + " - ";
    const auto at = windowName.rfind(marker);
    if (at == std::string_view::npos)
        return std::nullopt;
    const auto name = Text::trim(windowName.substr(at + marker.size()), " \t");
    if (name.empty())
        return std::nullopt;
    return std::string(name);
}

std::string normalize(std::string_view url)
{
    auto parts = URLComponents::parse(url);
    if (!parts)
        return std::string(url);
    parts->fragment.reset();
    if (parts->scheme)
        parts->scheme = lowercased(*parts->scheme);
    if (parts->host)
        parts->host = lowercased(*parts->host);
    std::string text = parts->text();
    if (text.ends_with('/'))
        text.pop_back();
    return text;
}

std::vector<BrowserTab> duplicates(const std::vector<BrowserWindow>& windows)
{
    std::set<std::pair<std::string, std::string>> seen;
    std::vector<BrowserTab> repeats;
    for (const auto& window : windows) {
        if (window.isIncognito)
            continue;
        for (const auto& tab : window.tabs) {
            if (!seen.emplace(profileKey(window), normalize(tab.url)).second)
                repeats.push_back(tab);
        }
    }
    return repeats;
}

std::optional<MergePlan> mergePlan(const std::vector<BrowserWindow>& windows)
{
    // Groups in the order their profile first appears, so of equally large
    // groups the same one is chosen on every run.
    struct Group {
        std::string profile;
        std::vector<const BrowserWindow*> windows;
    };
    std::vector<Group> groups;
    for (const auto& window : windows) {
        if (window.isIncognito)
            continue;
        const std::string key = profileKey(window);
        auto group = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.profile == key; });
        if (group == groups.end())
            group = groups.insert(groups.end(), Group{key, {}});
        group->windows.push_back(&window);
    }

    const Group* chosen = nullptr;
    for (const auto& group : groups) {
        if (group.windows.size() > 1 && (!chosen || group.windows.size() > chosen->windows.size()))
            chosen = &group;
    }
    if (!chosen)
        return std::nullopt;

    const BrowserWindow* target = chosen->windows.front();
    for (const auto* window : chosen->windows) {
        if (window->tabs.size() > target->tabs.size())
            target = window;
    }
    MergePlan plan{target->id, {}, {}, target->profile};
    for (const auto* window : chosen->windows) {
        if (window->id == target->id)
            continue;
        for (const auto& tab : window->tabs)
            plan.urls.push_back(tab.url);
        plan.windowsToClose.push_back(window->id);
    }
    return plan;
}

ExtensionUsage extensions(std::string_view psArgs, std::string_view appPath)
{
    const std::string bundlePrefix = std::string(appPath) + "/";
    ExtensionUsage usage;
    for (const auto line : Text::splitSkippingEmpty(psArgs, '\n')) {
        const auto parts = sizeAndCommand(line);
        if (!parts)
            continue;
        const auto kib = Numbers::parseSignedInt<int64_t>(parts->first);
        const auto bytes = kib ? Numbers::multiply(*kib, 1024) : std::nullopt;
        if (!bytes)
            continue;
        const auto command = parts->second;
        if (!command.starts_with(bundlePrefix) || command.find("--extension-process") == std::string_view::npos)
            continue;
        usage.count += 1;
        // Saturate rather than overflow; no real listing comes near it.
        usage.memoryBytes = Numbers::saturatingAdd(usage.memoryBytes, *bytes);
    }
    return usage;
}

} // namespace corvane::TabCleanup
