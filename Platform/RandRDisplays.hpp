#pragma once

#include "Core/WindowCensus.hpp"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace corvane::RandRDisplays {

// What the X server's RandR extension answers about its active monitors, as far as
// judging them needs.
struct Answer {
    struct Monitor {
        std::vector<uint32_t> modes;          // the ids of the modes its first output offers
        std::optional<uint32_t> currentMode;  // the id of the mode that output runs now, if any
    };
    std::vector<Monitor> monitors;           // in the server's order
    std::map<uint32_t, int64_t> modeWidths;  // the screen's modes: pixel width by id
};

// The active monitors of the X display of that name (by default $DISPLAY); nothing when
// the display cannot be reached or its server does not list monitors (RandR before 1.5).
std::optional<Answer> query(const char* display = nullptr);

// The first `limit` monitors as displays, each with the width of the mode it runs and
// the widths of every mode it offers. Mode ids the screen's table lacks are passed over.
std::vector<DisplayModes> displays(const Answer& answer, std::size_t limit = 16);

} // namespace corvane::RandRDisplays
