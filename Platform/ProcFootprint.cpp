#include "Platform/ProcFootprint.hpp"

#include "Core/Numbers.hpp"
#include "Platform/MemInfo.hpp"
#include "Platform/ProcFS.hpp"

#include <algorithm>
#include <array>
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

Reader::Reader(std::filesystem::path procRoot, int64_t pageSize)
    : procRoot_(std::move(procRoot)), pageSize_(pageSize)
{
    // Unknown swap use counts as some: status then gives the exact figure.
    ProcFS::FileText text;
    swapInUse_ = true;
    if (ProcFS::readFile(AT_FDCWD, (procRoot_ / "meminfo").c_str(), text)) {
        const MemInfo meminfo(text.view());
        swapInUse_ = !meminfo.bytes("SwapTotal") || !meminfo.bytes("SwapFree") || meminfo.swapUsedBytes() > 0;
    }
}

std::optional<int64_t> Reader::read(int32_t pid) const
{
    if (swapInUse_)
        return ProcFootprint::read(procRoot_, pid);
    const std::filesystem::path file = procRoot_ / ProcFS::ProcessFile(pid, "statm").c_str();
    ProcFS::FileText statm;
    if (!ProcFS::readFile(AT_FDCWD, file.c_str(), statm))
        return std::nullopt;
    // size resident shared text lib data dirty, in pages
    const std::string_view text = statm.view();
    std::array<int64_t, 3> pages{};
    std::size_t start = 0;
    for (auto& value : pages) {
        if (start > text.size())
            return std::nullopt;
        const std::size_t end = std::min(text.find_first_of(" \n", start), text.size());
        const auto parsed = Numbers::parseInt<int64_t>(text.substr(start, end - start));
        if (!parsed || *parsed < 0)
            return std::nullopt;
        value = *parsed;
        start = end + 1;
    }
    const auto [size, resident, shared] = pages;
    if (size == 0 || shared > resident)  // no memory of its own: a kernel thread
        return std::nullopt;
    return Numbers::multiply(resident - shared, pageSize_);
}

} // namespace corvane::ProcFootprint
