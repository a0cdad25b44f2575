#include "Core/WindowCensus.hpp"

#include "Platform/DrmDisplays.hpp"
#include "Platform/RandRDisplays.hpp"
#include "Platform/X11Windows.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace corvane::WindowCensus {

namespace {

const WindowValue* find(const WindowDescription& window, std::string_view key)
{
    const auto found = window.find(std::string(key));
    return found == window.end() ? nullptr : &found->second;
}

// A number that is a whole value within 32 bits; Booleans and text are not numbers.
std::optional<int32_t> int32Value(const WindowValue* value)
{
    if (value == nullptr)
        return std::nullopt;
    if (const auto* whole = std::get_if<int64_t>(value)) {
        if (*whole >= std::numeric_limits<int32_t>::min() && *whole <= std::numeric_limits<int32_t>::max())
            return static_cast<int32_t>(*whole);
        return std::nullopt;
    }
    if (const auto* real = std::get_if<double>(value)) {
        if (std::isfinite(*real) && std::trunc(*real) == *real && *real >= std::numeric_limits<int32_t>::min()
            && *real <= std::numeric_limits<int32_t>::max())
            return static_cast<int32_t>(*real);
    }
    return std::nullopt;
}

} // namespace

std::vector<WindowCount> count(const std::vector<WindowDescription>& windowInfo)
{
    std::vector<WindowCount> counts;
    std::unordered_map<int32_t, std::size_t> indexOfPID;
    for (const auto& window : windowInfo) {
        if (int32Value(find(window, layerKey)) != 0)
            continue;
        if (const auto* onscreen = find(window, onscreenKey)) {
            if (const auto* flag = std::get_if<bool>(onscreen); flag && !*flag)
                continue;
        }
        const auto pid = int32Value(find(window, ownerPIDKey));
        if (!pid)
            continue;
        const auto* nameValue = find(window, ownerNameKey);
        const auto* name = nameValue ? std::get_if<std::string>(nameValue) : nullptr;
        if (name == nullptr)
            continue;
        const auto [slot, added] = indexOfPID.emplace(*pid, counts.size());
        if (added)
            counts.push_back(WindowCount{*name, *pid, 0});
        ++counts[slot->second].count;
    }
    std::stable_sort(counts.begin(), counts.end(), [](const WindowCount& a, const WindowCount& b) {
        if (a.count != b.count)
            return a.count > b.count;
        return a.ownerName < b.ownerName;
    });
    return counts;
}

std::vector<WindowCount> live()
{
    return count(X11Windows::clientWindows());
}

bool isScaled(int64_t currentWidth, const std::vector<int64_t>& widths)
{
    return !widths.empty() && currentWidth != *std::max_element(widths.begin(), widths.end());
}

DisplayInfo tally(const std::vector<DisplayModes>& active)
{
    DisplayInfo info{static_cast<int>(active.size()), 0};
    for (const auto& display : active) {
        if (display.currentWidth && isScaled(*display.currentWidth, display.widths))
            ++info.scaledCount;
    }
    return info;
}

DisplayInfo displays()
{
    // An X server knows every monitor and the mode each runs; the kernel's connectors
    // miss virtual and remote screens and know only the preferred mode.
    if (const auto answer = RandRDisplays::query())
        return tally(RandRDisplays::displays(*answer));
    return tally(DrmDisplays::active());
}

} // namespace corvane::WindowCensus
