#include "Platform/ProcFootprint.hpp"

#include "Core/Files.hpp"
#include "Core/Numbers.hpp"
#include "Platform/MemInfo.hpp"

namespace corvane::ProcFootprint {

std::optional<int64_t> read(const std::filesystem::path& procRoot, int32_t pid)
{
    const auto status = Files::read(procRoot / Numbers::toText(pid) / "status");
    if (!status)
        return std::nullopt;
    const MemInfo values(*status);
    const auto anonymous = values.bytes("RssAnon");
    if (!anonymous)
        return std::nullopt;
    const int64_t swapped = values.bytes("VmSwap").value_or(0);
    int64_t total = 0;
    if (__builtin_add_overflow(*anonymous, swapped, &total))
        return std::nullopt;
    return total;
}

} // namespace corvane::ProcFootprint
