#pragma once

#include "Core/Date.hpp"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Reading whole files: the reader every component uses, /proc and /sys included,
// except the per-process /proc files of the sampling tick, which ProcFS reads with
// fewer calls. And the files the app keeps of a person's choices: what stands at their
// place, read once, written all at once.
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

// Writes all of `bytes` to `fd`, going on after a short write; throws std::system_error
// naming `file` when it cannot.
void writeAll(int fd, std::string_view bytes, const std::filesystem::path& file);

// What stands where the app keeps a file of a person's choices (its settings, its
// autostart entry). People keep such files in a repository of their own and link them
// into place, so a link is followed wherever it leads; what it leads to decides.
enum class Place {
    empty,   // nothing: the file may be created
    file,    // a regular file of the person running the app, of at most the bound
    folder,  // a folder, or a link to one: never replaced
    other,   // anything else: a pipe, socket or device, a larger file, another user's
             // file, a link to nothing or in a loop
};

struct Found {
    Place place = Place::empty;
    // For a file: where it really lies, every link resolved; a change is written there,
    // so that a link stays a link.
    std::filesystem::path target;
    // For a file that was read: its bytes.
    std::string content;
};

// Opens `file` once, without blocking (a pipe does not wait for a writer), checks what
// was opened and, when that is a file, reads it from the same descriptor: nothing can be
// swapped in between the check and the read.
Found readKept(const std::filesystem::path& file, std::size_t maxBytes);

// As readKept, without opening the file for reading: what a change to `file` would be
// written over, and where.
Found inspect(const std::filesystem::path& file, std::size_t maxBytes);

// Replaces `target` (or creates it) with `content` all at once: a new file beside it, in
// the same folder, with the old one's permissions, synced, then renamed over it. Readers
// see the old content or the new, never a part. Throws std::system_error when it cannot,
// leaving the old file as it was and no new one behind.
void replace(const std::filesystem::path& target, std::string_view content);

// Renames the entry `file` itself (a link, never what it points at) to
// "<name>.<reason>-<UTC time as yyyyMMddTHHmmssZ>" in its folder, with "-2", "-3" … added
// until the name is free: nothing is ever replaced. Returns the new path; throws
// std::system_error when it cannot be renamed.
std::filesystem::path setAside(const std::filesystem::path& file, std::string_view reason, Date now);

} // namespace corvane::Files
