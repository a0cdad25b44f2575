#pragma once

#include <cstdint>
#include <filesystem>

namespace corvane {

// What a folder looked like when its entries were read: adding, removing or renaming
// an entry in it changes its stamp.
struct FolderStamp {
    std::filesystem::path folder;
    bool exists = false;
    int64_t seconds = 0, nanoseconds = 0;
    uint64_t inode = 0;

    static FolderStamp of(const std::filesystem::path& folder);
    bool operator==(const FolderStamp&) const = default;
};

} // namespace corvane
