#pragma once

#include <cstdint>
#include <filesystem>

namespace corvane {

// Free and total space of the volume holding a path.
struct DiskCapacity {
    int64_t freeBytes = 0;   // available to unprivileged users
    int64_t totalBytes = 0;

    // statvfs of the path; both 0 when it cannot be read.
    static DiskCapacity read(const std::filesystem::path& path = "/");

    // Block counts times the fragment size; a product that does not fit gives 0.
    static DiskCapacity fromBlocks(uint64_t availableBlocks, uint64_t totalBlocks, uint64_t fragmentSize);

    bool operator==(const DiskCapacity&) const = default;
};

} // namespace corvane
