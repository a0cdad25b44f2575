#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane {

// One large folder that keeps the search indexer busy.
struct HeavyFolder {
    std::string path;   // absolute
    std::string label;  // what the folder is
    int64_t bytes = 0;  // allocated size of the whole tree

    bool operator==(const HeavyFolder&) const = default;
};

// Finds large developer and virtual-machine folders in the home folder that could
// be left out of the search index.
namespace SpotlightAdvisor {

// The folders looked at, in this order: (label, path relative to the home folder).
inline constexpr std::array<std::pair<std::string_view, std::string_view>, 4> candidates{{
    {"Xcode build data", "Library/Developer/Xcode/DerivedData"},
    {"Docker data", "Library/Containers/com.docker.docker"},
    {"OrbStack data", ".orbstack"},
    {"Parallels virtual machines", "Parallels"},
}};

// The candidates that exist under `home` and take at least `minimumBytes`, in
// candidate order. Walks whole trees, so callers run it off the main thread.
std::vector<HeavyFolder> heavyFolders(const std::filesystem::path& home, int64_t minimumBytes);

// Bytes allocated on disk to the regular files under `folder`, hidden ones included.
// Links are not followed and add nothing; an item that cannot be read is passed over;
// a folder that cannot be read at all gives 0.
int64_t allocatedSize(const std::filesystem::path& folder);

} // namespace SpotlightAdvisor
} // namespace corvane
