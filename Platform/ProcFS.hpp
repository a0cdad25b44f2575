#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading the Linux /proc tree. Every function takes the root of the tree
// ("/proc" on a live system) so tests can hand it a fake one.
namespace corvane::ProcFS {

// The text of one small kernel-made file. It fits the inline buffer in nearly
// every case, so reading it costs one read call and no allocation.
class FileText {
public:
    std::string_view view() const { return spill_.empty() ? std::string_view(inline_.data(), size_) : spill_; }

private:
    friend bool readFile(int folder, const char* relative, FileText& text);

    std::array<char, 4096> inline_;
    std::size_t size_ = 0;
    std::string spill_;  // the whole text, when it did not fit
};

// Reads `relative` under the open folder `folder` (or AT_FDCWD) into `text`.
// /proc reports no sizes, so the file is read until the buffer is not filled;
// it is opened without following links and without blocking, and more than a
// mebibyte is refused, so a planted link, pipe or device in a fake tree can
// neither redirect, stall nor flood the reader. False when it cannot be read.
bool readFile(int folder, const char* relative, FileText& text);

// One process's folder name in the root, and the inode the kernel gave that
// folder: a new process under a reused pid gets a new folder inode.
struct Entry {
    int32_t pid = 0;
    uint64_t inode = 0;
};

// The root of a /proc tree, kept open so that each process's files are found
// from it by a short relative name.
class Root {
public:
    // Throws std::filesystem::filesystem_error when the root cannot be opened.
    explicit Root(const std::filesystem::path& path);
    ~Root();
    Root(const Root&) = delete;
    Root& operator=(const Root&) = delete;

    // The numeric entries, ascending. Throws std::filesystem::filesystem_error
    // when the root cannot be listed.
    std::vector<Entry> processes() const;

    bool read(const char* relative, FileText& text) const { return readFile(fd_, relative, text); }

    // The owner of `relative`: for a process folder, the process's effective uid
    // (the kernel keeps it so whatever the process's dumpable state).
    std::optional<uint32_t> owner(const char* relative) const;

    // The target of the link `relative`, in `buffer`; nothing when it cannot be read.
    std::optional<std::string_view> readLink(const char* relative, std::array<char, 4096>& buffer) const;

private:
    std::filesystem::path path_;
    int fd_ = -1;
};

// "PID/name" for one process's file, made without allocating.
class ProcessFile {
public:
    ProcessFile(int32_t pid, std::string_view name);
    const char* c_str() const { return text_.data(); }

private:
    std::array<char, 64> text_{};
};

// The numeric entries of the root, ascending. Throws std::filesystem::filesystem_error
// when the root itself cannot be listed.
std::vector<int32_t> listPids(const std::filesystem::path& procRoot);

// The value after "Key:" in a status-style file (leading blanks trimmed), or nothing.
std::optional<std::string> field(std::string_view text, std::string_view key);

// As field, as a view into `text`.
std::optional<std::string_view> fieldView(std::string_view text, std::string_view key);

// The effective uid from /proc/PID/status, or nothing when the process is gone.
std::optional<uint32_t> effectiveUID(const std::filesystem::path& procRoot, int32_t pid);

// The fields of /proc/PID/stat that the readers need.
struct Stat {
    std::string_view comm;
    char state = 0;         // 'Z' or 'X' once the process has ended
    int32_t ppid = 0;
    int32_t terminal = 0;   // the controlling terminal's device number; 0 when it has none
    uint32_t flags = 0;
    uint64_t cpuTicks = 0;  // utime + stime
    uint64_t startTicks = 0;  // clock ticks after boot
    int64_t rssPages = 0;

    bool hasEnded() const { return state == 'Z' || state == 'X'; }
};

// A /proc/PID/stat text, or nothing when it does not parse. `comm` views into `text`.
std::optional<Stat> parseStat(std::string_view text);

// The stat of one process as a value (`comm` left empty); nothing when the process is gone.
std::optional<Stat> stat(const std::filesystem::path& procRoot, int32_t pid);

// The executable: the target of exe (without a trailing " (deleted)"), else an
// absolute argv[0] from cmdline, else comm. Nothing when the process is gone.
std::optional<std::string> executablePath(const std::filesystem::path& procRoot, int32_t pid);

// The executable named by an exe link's target, or nothing for a link that names
// no file worth showing (a program run from an anonymous memory file).
std::optional<std::string> pathFromLink(std::string_view target);

// The first few whole arguments of a cmdline text (argv[0] first), each ended by a
// NUL, as ProcessIdentity holds them.
std::string leadingArguments(std::string_view cmdline);

// leadingArguments of /proc/PID/cmdline; empty when it cannot be read.
std::string arguments(const std::filesystem::path& procRoot, int32_t pid);

// argv[0] of a cmdline text when it is an absolute path.
std::optional<std::string> absoluteArgv0(std::string_view cmdline);

} // namespace corvane::ProcFS
