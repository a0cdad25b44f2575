#include "Platform/Processors.hpp"

#include "Core/Numbers.hpp"
#include "Core/Text.hpp"
#include "Platform/SysFS.hpp"

#include <unistd.h>

namespace corvane::Processors {

std::optional<int> countList(std::string_view text)
{
    const auto ranges = Text::splitSkippingEmpty(Text::trim(text), ',');
    if (ranges.empty())
        return std::nullopt;
    // The kernel writes the ranges in ascending order, apart: one that starts at or before
    // the end of the one before names a processor twice, and the list is not the kernel's.
    int count = 0;
    std::optional<int> previous;
    for (const auto range : ranges) {
        const auto dash = range.find('-');
        const auto first = Numbers::parseInt<int>(range.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : Numbers::parseInt<int>(range.substr(dash + 1));
        if (!first || !last || *last < *first || (previous && *first <= *previous) ||
            __builtin_add_overflow(count, *last - *first + 1, &count))
            return std::nullopt;
        previous = last;
    }
    return count;
}

int onlineCount(const std::filesystem::path& root)
{
    if (const auto text = SysFS::readValue(root / "sys/devices/system/cpu/online")) {
        if (const auto count = countList(*text))
            return *count;
    }
    const long count = ::sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<int>(count) : 0;
}

} // namespace corvane::Processors
