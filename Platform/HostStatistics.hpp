#pragma once

#include "Core/MemoryStats.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace corvane::HostStatistics {

// The kernel's page counts from root/proc/meminfo and the zram devices under
// root/sys/block, in pages of `pageSize` bytes:
//   internal   = AnonPages + Shmem
//   purgeable  = 0 (the kernel has no such pages)
//   wire       = Unevictable + SUnreclaim + KernelStack + PageTables
//   compressor = Zswap + each zram device's memory in use
//   external   = Cached + Buffers - Shmem + SReclaimable
//   free       = MemFree
// Nothing when meminfo cannot be read or holds no MemFree. Other absent lines count 0.
std::optional<HostPageCounts> read(const std::filesystem::path& root, int64_t pageSize);

} // namespace corvane::HostStatistics
