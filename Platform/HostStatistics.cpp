#include "Platform/HostStatistics.hpp"

#include "Core/Numbers.hpp"
#include "Core/Text.hpp"
#include "Platform/MemInfo.hpp"
#include "Platform/SysFS.hpp"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

namespace fs = std::filesystem;

namespace corvane::HostStatistics {

namespace {

// Sums non-negative byte counts, stopping at the largest value rather than wrapping.
int64_t sum(std::initializer_list<int64_t> values)
{
    int64_t total = 0;
    for (const int64_t value : values) {
        if (__builtin_add_overflow(total, value, &total))
            return INT64_MAX;
    }
    return total;
}

// Bytes held by zram devices: the third figure of mm_stat, the memory in use.
int64_t zramBytes(const fs::path& root)
{
    int64_t total = 0;
    for (const auto& device : SysFS::entries(root / "sys/block")) {
        if (!device.filename().string().starts_with("zram"))
            continue;
        const auto stat = SysFS::readValue(device / "mm_stat");
        if (!stat)
            continue;
        const auto figures = Text::splitSkippingEmpty(*stat, ' ');
        const auto used = figures.size() >= 3 ? Numbers::parseInt<int64_t>(figures[2]) : std::nullopt;
        if (used && *used > 0)
            total = sum({total, *used});
    }
    return total;
}

} // namespace

std::optional<HostPageCounts> read(const fs::path& root, int64_t pageSize)
{
    const auto memory = MemInfo::read(root);
    if (!memory || !memory->bytes("MemFree") || pageSize <= 0)
        return std::nullopt;
    const auto value = [&](const char* key) { return memory->bytes(key).value_or(0); };
    const auto pages = [&](int64_t bytes) { return std::max<int64_t>(bytes, 0) / pageSize; };
    return HostPageCounts{
        pages(sum({value("AnonPages"), value("Shmem")})),
        0,
        pages(sum({value("Unevictable"), value("SUnreclaim"), value("KernelStack"), value("PageTables")})),
        pages(sum({value("Zswap"), zramBytes(root)})),
        pages(sum({value("Cached"), value("Buffers"), value("SReclaimable")}) - value("Shmem")),
        pages(value("MemFree")),
    };
}

} // namespace corvane::HostStatistics
