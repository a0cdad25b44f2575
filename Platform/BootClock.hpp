#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

// When the machine booted, from the /proc tree rooted at procRoot ("/proc" live).
namespace corvane::BootClock {

// The boot moment in whole seconds since 1970, from the "btime" line of stat.
std::optional<int64_t> bootTime(const std::filesystem::path& procRoot = "/proc");

// Seconds from the boot moment's whole seconds to now.
std::optional<double> sinceBootTime(const std::filesystem::path& procRoot = "/proc");

// Seconds since boot, from the first figure of uptime.
std::optional<double> uptime(const std::filesystem::path& procRoot = "/proc");

} // namespace corvane::BootClock
