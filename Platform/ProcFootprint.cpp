#include "Platform/ProcFootprint.hpp"

#include "Platform/MemInfo.hpp"
#include "Platform/ProcFS.hpp"

#include <fcntl.h>

namespace corvane::ProcFootprint {

std::optional<int64_t> read(const std::filesystem::path& procRoot, int32_t pid)
{
    const std::filesystem::path file = procRoot / ProcFS::ProcessFile(pid, "status").c_str();
    ProcFS::FileText status;
    if (!ProcFS::readFile(AT_FDCWD, file.c_str(), status))
        return std::nullopt;
    // Two keys of a file of fifty lines: look them up rather than index every line.
    const auto anonymous = ProcFS::fieldView(status.view(), "RssAnon");
    const auto bytes = anonymous ? MemInfo::valueBytes(*anonymous) : std::nullopt;
    if (!bytes)
        return std::nullopt;
    const auto swap = ProcFS::fieldView(status.view(), "VmSwap");
    const int64_t swapped = swap ? MemInfo::valueBytes(*swap).value_or(0) : 0;
    int64_t total = 0;
    if (__builtin_add_overflow(*bytes, swapped, &total))
        return std::nullopt;
    return total;
}

} // namespace corvane::ProcFootprint
