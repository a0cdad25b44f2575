#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Reading the one-value files and folders of the Linux /sys tree.
namespace corvane::SysFS {

// The file's content without surrounding blanks and line feeds, or nothing when unreadable.
std::optional<std::string> readValue(const std::filesystem::path& file);

// The entries of a folder, sorted by name; empty when it cannot be listed.
std::vector<std::filesystem::path> entries(const std::filesystem::path& folder);

} // namespace corvane::SysFS
