#include "Platform/MemInfo.hpp"

#include "Core/Files.hpp"
#include "Core/Numbers.hpp"
#include "Core/Text.hpp"

#include <algorithm>

namespace corvane {

MemInfo::MemInfo(std::string_view text)
{
    for (const auto line : Text::splitSkippingEmpty(text, '\n')) {
        const auto colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        if (const auto value = valueBytes(line.substr(colon + 1)))
            bytes_.emplace(std::string(line.substr(0, colon)), *value);
    }
}

std::optional<int64_t> MemInfo::valueBytes(std::string_view value)
{
    const auto words = Text::splitSkippingEmpty(Text::trim(value), ' ');
    if (words.empty() || words.size() > 2 || (words.size() == 2 && words[1] != "kB"))
        return std::nullopt;
    const auto count = Numbers::parseInt<int64_t>(words[0]);
    if (!count || *count < 0)
        return std::nullopt;
    return words.size() == 2 ? Numbers::multiply(*count, 1024) : count;
}

std::optional<MemInfo> MemInfo::read(const std::filesystem::path& root)
{
    const auto text = Files::read(root / "proc/meminfo");
    if (!text)
        return std::nullopt;
    return MemInfo(*text);
}

std::optional<int64_t> MemInfo::bytes(std::string_view key) const
{
    const auto found = bytes_.find(std::string(key));
    if (found == bytes_.end())
        return std::nullopt;
    return found->second;
}

int64_t MemInfo::totalBytes() const
{
    return bytes("MemTotal").value_or(0);
}

int64_t MemInfo::swapUsedBytes() const
{
    const auto total = bytes("SwapTotal");
    const auto free = bytes("SwapFree");
    if (!total || !free)
        return 0;
    return std::max<int64_t>(*total - *free, 0);
}

} // namespace corvane
