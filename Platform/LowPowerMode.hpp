#pragma once

#include <filesystem>

namespace corvane::Platform {

// Whether the machine runs in its energy-saving profile (the ACPI platform
// profile "low-power"); false where the machine has no such profile.
bool lowPowerModeEnabled(const std::filesystem::path& root = "/");

} // namespace corvane::Platform
