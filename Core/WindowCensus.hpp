#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace corvane {

// One app's on-screen windows.
struct WindowCount {
    std::string ownerName;
    int32_t ownerPID = 0;
    int count = 0;

    bool operator==(const WindowCount&) const = default;
};

// The active displays, and how many of them run a scaled mode.
struct DisplayInfo {
    int count = 0;
    int scaledCount = 0;

    bool operator==(const DisplayInfo&) const = default;
};

// One window as the window server describes it: a dictionary of typed values
// under the keys below.
using WindowValue = std::variant<bool, int64_t, double, std::string>;
using WindowDescription = std::map<std::string, WindowValue>;

// One active display: the pixel width of the mode it runs (absent when unknown)
// and the pixel widths of every mode it offers.
struct DisplayModes {
    std::optional<int64_t> currentWidth;
    std::vector<int64_t> widths;
};

namespace WindowCensus {

inline constexpr std::string_view layerKey = "kCGWindowLayer";
inline constexpr std::string_view onscreenKey = "kCGWindowIsOnscreen";
inline constexpr std::string_view ownerPIDKey = "kCGWindowOwnerPID";
inline constexpr std::string_view ownerNameKey = "kCGWindowOwnerName";

// The on-screen windows of the session counted per app; empty without a window server.
std::vector<WindowCount> live();

// Normal on-screen windows per owner pid, most windows first, equal counts by owner name.
std::vector<WindowCount> count(const std::vector<WindowDescription>& windowInfo);

// The active displays now: the X server's monitors where one can be reached, else
// the connected DRM connectors.
DisplayInfo displays();

// Every listed display counts; one without a known current mode or any modes is
// neither scaled nor unscaled.
DisplayInfo tally(const std::vector<DisplayModes>& active);

// A display is scaled when its current width is not the widest it offers.
bool isScaled(int64_t currentWidth, const std::vector<int64_t>& widths);

} // namespace WindowCensus

} // namespace corvane
