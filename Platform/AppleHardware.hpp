#pragma once

#include <filesystem>

namespace corvane::AppleHardware {

// True on a Mac with an Intel processor: the firmware names Apple as the system's
// maker (DMI sys_vendor "Apple Inc.") and the processor is not ARM. Any other PC,
// or a machine without DMI, answers false. Blocks on a small file read.
bool isIntelMac(const std::filesystem::path& root = "/");

} // namespace corvane::AppleHardware
