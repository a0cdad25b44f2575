#pragma once

#include "ScreenshotWorld.hpp"

#include <functional>
#include <vector>

namespace corvane::screenshots {

// Draws one screen, the browser sheet or a window in each of its own states, with fixed
// probes answering its background work.
using StateRenderer = std::function<void(Camera&)>;

// One renderer per screen, in sidebar order, then the sheet and the windows.
std::vector<StateRenderer> screenStates();

} // namespace corvane::screenshots
