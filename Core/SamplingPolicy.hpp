#pragma once

#include <chrono>

// How long the monitor sleeps between ticks.
namespace corvane::SamplingPolicy {

// 3 s while the window or the menu-bar popover is showing, else 60 s in
// Low Power Mode, else 30 s.
std::chrono::seconds interval(bool windowVisible, bool menuOpen, bool lowPower);

} // namespace corvane::SamplingPolicy
