#pragma once

#include "Core/Date.hpp"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

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

// The first `maxBytes` bytes of a regular file (all of a shorter one), however large
// it is, or nothing when it cannot be read. Refuses what read() refuses, alike without
// blocking: the file is opened once and that descriptor checked, so a pipe put in its
// place after a caller looked at the path holds nothing up.
std::optional<std::string> readHead(const std::filesystem::path& file, std::size_t maxBytes);

// What stands where the app keeps a file of its own (its settings, its autostart entry).
enum class Place {
    empty,   // nothing: the file may be created
    file,    // a regular file of at most the bound, or a link to one in the same folder
    folder,  // a folder, or a link to one: never replaced
    other,   // a pipe, socket or device, a larger file, a link out of the folder or to nothing
};

// Looks at `file` without opening it, so a pipe cannot hold the caller up. Only a `file`
// may be read whole and written through; an `other` is no such file, and writing through
// a link to it would replace whatever it points at.
Place inspect(const std::filesystem::path& file, std::size_t maxBytes = defaultMaxBytes);

// Renames the entry `file` itself (a link, never what it points at) to
// "<name>.<reason>-<UTC time as yyyyMMddTHHmmssZ>" in its folder, with "-2", "-3" … added
// until the name is free: nothing is ever replaced. Returns the new path; throws
// std::system_error when it cannot be renamed.
std::filesystem::path setAside(const std::filesystem::path& file, std::string_view reason, Date now);

} // namespace corvane::Files
