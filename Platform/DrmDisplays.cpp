#include "Platform/DrmDisplays.hpp"

#include "Core/Numbers.hpp"
#include "Core/Text.hpp"
#include "Platform/SysFS.hpp"

namespace corvane::DrmDisplays {

namespace {

// The pixel widths of a modes file ("1920x1080" lines), in order; lines that do not
// start with a width, or with one no display has (zero or negative), are passed over.
std::vector<int64_t> modeWidths(std::string_view modes)
{
    std::vector<int64_t> widths;
    for (const auto line : Text::splitSkippingEmpty(modes, '\n')) {
        const auto cross = line.find('x');
        if (cross == std::string_view::npos)
            continue;
        const auto width = Numbers::parseInt<int64_t>(line.substr(0, cross));
        if (width && *width > 0)
            widths.push_back(*width);
    }
    return widths;
}

} // namespace

std::vector<DisplayModes> active(const std::filesystem::path& root, std::size_t limit)
{
    std::vector<DisplayModes> displays;
    for (const auto& connector : SysFS::entries(root / "sys/class/drm")) {
        if (displays.size() == limit)
            break;
        if (SysFS::readValue(connector / "status") != "connected"
            || SysFS::readValue(connector / "enabled") == "disabled")
            continue;
        DisplayModes display;
        display.widths = modeWidths(SysFS::readValue(connector / "modes").value_or(""));
        if (!display.widths.empty())
            display.currentWidth = display.widths.front();
        displays.push_back(std::move(display));
    }
    return displays;
}

} // namespace corvane::DrmDisplays
