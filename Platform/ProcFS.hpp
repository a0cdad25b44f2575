#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading the Linux /proc tree. Every function takes the root of the tree
// ("/proc" on a live system) so tests can hand it a fake one.
namespace corvane::ProcFS {

// The numeric entries of the root, ascending. Throws std::filesystem::filesystem_error
// when the root itself cannot be listed.
std::vector<int32_t> listPids(const std::filesystem::path& procRoot);

// The value after "Key:" in a status-style file (leading blanks trimmed), or nothing.
std::optional<std::string> field(std::string_view text, std::string_view key);

// The effective uid from /proc/PID/status, or nothing when the process is gone.
std::optional<uint32_t> effectiveUID(const std::filesystem::path& procRoot, int32_t pid);

// The executable: the target of exe (without a trailing " (deleted)"), else an
// absolute argv[0] from cmdline, else comm. Nothing when the process is gone.
std::optional<std::string> executablePath(const std::filesystem::path& procRoot, int32_t pid);

} // namespace corvane::ProcFS
