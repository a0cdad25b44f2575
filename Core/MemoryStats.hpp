#pragma once

#include "Core/SystemSignals.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace corvane {

// The kernel's virtual-memory page counts, each a number of pages.
struct HostPageCounts {
    int64_t internal = 0;    // anonymous pages
    int64_t purgeable = 0;
    int64_t wire = 0;
    int64_t compressor = 0;  // pages held compressed
    int64_t external = 0;    // file-backed pages
    int64_t free = 0;

    bool operator==(const HostPageCounts&) const = default;
};

namespace MemoryStats {

// How physical memory is divided now. `root` is the file-system root the kernel's
// counters are read under ("/" on a live system).
MemoryBreakdown read(const std::filesystem::path& root = "/");

// The division from page counts: apps are internal less purgeable pages (never
// below 0), cached is external plus purgeable. Without counts all memory is free.
MemoryBreakdown breakdown(const std::optional<HostPageCounts>& counts, int64_t pageSize, int64_t total);

} // namespace MemoryStats

} // namespace corvane
