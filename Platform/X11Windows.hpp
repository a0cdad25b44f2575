#pragma once

#include "Core/WindowCensus.hpp"

#include <vector>

namespace corvane::X11Windows {

// The window manager's client list (EWMH) of the X display named by $DISPLAY, each
// window described with the window-census keys: layer 0, on screen unless hidden
// (minimised) or on another virtual desktop, the owner's pid from _NET_WM_PID and the owner's name as the file name
// of that process's executable. A window whose pid or process cannot be read has no
// owner keys. Empty when no display can be reached or no window manager keeps a list.
std::vector<WindowDescription> clientWindows();

} // namespace corvane::X11Windows
