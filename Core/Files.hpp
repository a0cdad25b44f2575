#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

// Reading whole files: the reader every component uses, /proc and /sys included,
// except the per-process /proc files of the sampling tick, which ProcFS reads with
// fewer calls.
namespace corvane::Files {

// No file the app reads whole comes near this; one that someone else planted costs
// at most this much memory when its reader names no tighter bound.
inline constexpr std::size_t defaultMaxBytes = std::size_t{16} << 20;

// The whole content of a regular file of at most `maxBytes` bytes, or nothing when it
// cannot be read. Folders, pipes and devices are refused without blocking: a pipe
// named like a data file must not stall a scan, nor a device fill memory. A larger
// file is refused too, by its reported size without reading it, or after at most
// `maxBytes` + 1 bytes when it reports none (as /proc and /sys files do) or grows.
std::optional<std::string> read(const std::filesystem::path& file, std::size_t maxBytes = defaultMaxBytes);

// As read, but a failure throws std::system_error with the reason.
std::string readOrThrow(const std::filesystem::path& file, std::size_t maxBytes = defaultMaxBytes);

} // namespace corvane::Files
