#include "Platform/DiskCapacity.hpp"

#include <limits>
#include <sys/statvfs.h>

namespace corvane {

namespace {

int64_t product(uint64_t blocks, uint64_t size)
{
    uint64_t bytes = 0;
    if (__builtin_mul_overflow(blocks, size, &bytes) || bytes > uint64_t(std::numeric_limits<int64_t>::max()))
        return 0;
    return static_cast<int64_t>(bytes);
}

} // namespace

DiskCapacity DiskCapacity::fromBlocks(uint64_t availableBlocks, uint64_t totalBlocks, uint64_t fragmentSize)
{
    return DiskCapacity{product(availableBlocks, fragmentSize), product(totalBlocks, fragmentSize)};
}

DiskCapacity DiskCapacity::read(const std::filesystem::path& path)
{
    struct statvfs volume {};
    if (::statvfs(path.c_str(), &volume) != 0)
        return {};
    // Block counts are in fragment units; f_bsize is only the preferred I/O size.
    return fromBlocks(volume.f_bavail, volume.f_blocks, volume.f_frsize);
}

} // namespace corvane
