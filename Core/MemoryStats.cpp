#include "Core/MemoryStats.hpp"

#include "Core/Numbers.hpp"
#include "Platform/HostStatistics.hpp"
#include "Platform/MemInfo.hpp"

#include <algorithm>
#include <unistd.h>

namespace corvane::MemoryStats {

namespace {

// A page count in bytes; 0 when the product does not fit.
int64_t bytes(int64_t pages, int64_t pageSize)
{
    return Numbers::multiply(pages, pageSize).value_or(0);
}

} // namespace

MemoryBreakdown breakdown(const std::optional<HostPageCounts>& counts, int64_t pageSize, int64_t total)
{
    if (!counts)
        return MemoryBreakdown{total, 0, 0, 0, 0, total};
    int64_t cachedPages = 0;
    if (__builtin_add_overflow(counts->external, counts->purgeable, &cachedPages))
        cachedPages = 0;
    return MemoryBreakdown{
        total,
        bytes(std::max<int64_t>(counts->internal - counts->purgeable, 0), pageSize),
        bytes(counts->wire, pageSize),
        bytes(counts->compressor, pageSize),
        bytes(cachedPages, pageSize),
        bytes(counts->free, pageSize),
    };
}

MemoryBreakdown read(const std::filesystem::path& root)
{
    const long page = ::sysconf(_SC_PAGESIZE);
    const int64_t pageSize = page > 0 ? page : 4096;
    const auto memory = MemInfo::read(root);
    return breakdown(HostStatistics::read(root, pageSize), pageSize, memory ? memory->totalBytes() : 0);
}

} // namespace corvane::MemoryStats
