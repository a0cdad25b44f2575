#pragma once

#include "Core/Date.hpp"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>

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

// An open file descriptor, closed when it goes.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor();

    int get() const { return fd_; }
    // Hands the descriptor over, no longer closed here.
    int release() { return std::exchange(fd_, -1); }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// What stands where the app keeps a file of a person's choices (its settings, its
// autostart entry). People keep such files in a repository of their own and link them
// into place, so links are followed; but only through folders and links that no one
// but the person and root can change, or another user could lead a write onto any other
// file of the person's.
enum class Place {
    empty,       // nothing: the file may be created
    file,        // the person's own regular file, of at most the bound
    folder,      // a folder, or a link to one: never replaced
    tooLarge,    // the person's own regular file, over the bound
    notYours,    // another user's file, or a folder or link on the way to it that is
                 // neither the person's nor root's, or that others may change
    notRegular,  // a pipe, socket or device, a link to nothing or in a loop, a file
                 // where a folder should be
    unreadable,  // it cannot be looked at or read: no permission, a failing disk
};

struct Found {
    Place place = Place::empty;
    // For a file, or one too large: where it really lies, every link resolved; a change
    // is written there, so that a link stays a link.
    std::filesystem::path target;
    // For a file: its bytes.
    std::string content;
    // For a file, or one too large: its size in bytes.
    std::uintmax_t size = 0;
    // For what is not yours, not regular or unreadable: what is wrong, and where.
    std::string why;
    // The entry at the path itself is a link.
    bool linked = false;
};

// A kept file found at its place: the path is walked once, from "/", one entry at a
// time, every link followed by hand; the folder where the file lies stays open, so a
// change lands there and nowhere else, whatever is renamed on the way meanwhile.
//
// Every folder and link on the way must belong to the person or to root, and no folder
// may be writable by others unless it is sticky and the entry in it belongs to the
// person or root (a folder writable by its group counts as the person's own when that
// group is the person's private one). The file itself must be the person's. What is
// found is opened without blocking and checked as opened, then read from the same
// descriptor.
class Kept {
public:
    // Finds `file`. With `makeFolders`, missing folders on the way (not at the end of a
    // link) are made, private to the person, as a write needs.
    static Kept find(const std::filesystem::path& file, std::size_t maxBytes, bool makeFolders = false);

    const Found& found() const { return found_; }

    // Replaces the file found with `content` all at once, or creates it where nothing
    // was: a new file beside it, with the old one's permissions, synced, then renamed over
    // it, no link followed. Readers see the old content or the new, never a part. Throws
    // std::system_error when it cannot, leaving the old file as it was and no new one
    // behind; std::errc::resource_unavailable_try_again when the entry there is no
    // longer the one found (someone swapped it meanwhile): find it again.
    void replace(std::string_view content) const;

    // Removes the person's own file found right at the path (no link). Throws
    // std::system_error when it cannot, or when the entry is no longer the one found.
    void remove() const;

    // Renames the entry at the path itself (a link, never what it points at) to
    // "<name>.<reason>-<UTC time as yyyyMMddTHHmmssZ>" in its folder, with "-2", "-3" …
    // added until the name is free: nothing is ever replaced. Returns the new path;
    // throws std::system_error when it cannot be renamed, or when the way to its folder
    // is itself not the person's.
    std::filesystem::path setAside(std::string_view reason, Date now) const;

    // Removes the new files that replace() left beside the file found when a process
    // ended in the middle of one: only names it gives them, only regular files of the
    // person's, only of processes no longer running.
    void removeLeftovers() const;

private:
    Kept() = default;
    // One walk; false when what it opened changed under it, so it is walked again.
    bool walk(const std::filesystem::path& file, std::size_t maxBytes, bool makeFolders);
    // Throws resource_unavailable_try_again unless the entry is still what was found.
    void checkUnchanged() const;

    Descriptor folder_;  // where the file lies (a file, one too large, or none yet)
    std::string name_;
    Descriptor entryFolder_;  // where the entry at the path lies, once the way there is sound
    std::string entryName_;
    std::string entryFolderPath_;
    Descriptor file_;   // the file found, as it was read
    dev_t device_ = 0;  // of the file found
    ino_t inode_ = 0;
    mode_t mode_ = 0;
    Found found_;
};

// What `file` holds, by Kept's rules.
Found readKept(const std::filesystem::path& file, std::size_t maxBytes);

} // namespace corvane::Files
