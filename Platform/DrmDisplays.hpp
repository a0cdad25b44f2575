#pragma once

#include "Core/WindowCensus.hpp"

#include <cstddef>
#include <filesystem>
#include <vector>

namespace corvane::DrmDisplays {

// The active displays: the connectors under root/sys/class/drm whose status is
// "connected" and that the kernel has not disabled, in name order, at most `limit`.
// Each connector's modes file lists its modes preferred first. The kernel does not
// publish the mode a display runs, so the preferred mode stands for it.
// Empty when the folder cannot be read.
std::vector<DisplayModes> active(const std::filesystem::path& root = "/", std::size_t limit = 16);

} // namespace corvane::DrmDisplays
