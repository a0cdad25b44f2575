#pragma once

#include "ScreenshotWorld.hpp"

#include <functional>
#include <vector>

namespace corvane::screenshots {

// Draws screens or windows in each of their states, with fixed probes answering their
// background work, as they look in the camera's main window.
using StateRenderer = std::function<void(Camera&)>;

// What the main window's size shapes: the main window on every screen in each fixture
// state, each screen in its own states, and the toast over the window.
std::vector<StateRenderer> screenStates();

// What keeps its own size: each fixture's alert and tray popover, the browser sheet,
// onboarding and Settings.
std::vector<StateRenderer> windowStates();

} // namespace corvane::screenshots
