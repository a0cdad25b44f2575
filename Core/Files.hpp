#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>

// Reading whole files: the reader every component uses, /proc and /sys included,
// except the per-process /proc files of the sampling tick, which ProcFS reads with
// fewer calls.
namespace corvane::Files {

// The whole content of a regular file, or nothing when it cannot be read. Folders,
// pipes and devices are refused without blocking: a pipe named like a data file
// must not stall a scan, nor a device fill memory. So is a file of more than `limit`
// bytes, without reading it, where a planted file must not fill memory either.
std::optional<std::string> read(const std::filesystem::path& file,
                                std::size_t limit = std::numeric_limits<std::size_t>::max());

// As read, but a failure throws std::system_error with the reason.
std::string readOrThrow(const std::filesystem::path& file);

} // namespace corvane::Files
