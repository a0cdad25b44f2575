#include "Platform/MemoryPressure.hpp"

#include "Core/Files.hpp"
#include "Core/Numbers.hpp"
#include "Core/Text.hpp"

#include <algorithm>

namespace corvane::MemoryPressure {

namespace {

// The avg10 figure of the line that starts with `kind` ("some" or "full").
std::optional<double> average10(std::string_view text, std::string_view kind)
{
    for (const auto line : Text::splitSkippingEmpty(text, '\n')) {
        const auto words = Text::splitSkippingEmpty(line, ' ');
        if (words.empty() || words[0] != kind)
            continue;
        for (const auto word : words) {
            if (word.starts_with("avg10="))
                return Numbers::parseFinite(word.substr(6));
        }
    }
    return std::nullopt;
}

} // namespace

int32_t stallLevel(std::string_view text)
{
    if (average10(text, "full").value_or(0) >= 10)
        return 4;
    if (average10(text, "some").value_or(0) >= 10)
        return 2;
    return 1;
}

int32_t headroomLevel(int64_t availableBytes, int64_t totalBytes)
{
    if (totalBytes <= 0)
        return 1;
    const double share = static_cast<double>(availableBytes) / static_cast<double>(totalBytes);
    if (share < 0.05)
        return 4;
    if (share < 0.15)
        return 2;
    return 1;
}

int32_t level(const std::filesystem::path& root, const std::optional<MemInfo>& memory)
{
    int32_t result = 1;
    if (const auto stall = Files::read(root / "proc/pressure/memory"))
        result = std::max(result, stallLevel(*stall));
    if (memory) {
        if (const auto available = memory->bytes("MemAvailable"))
            result = std::max(result, headroomLevel(*available, memory->totalBytes()));
    }
    return result;
}

} // namespace corvane::MemoryPressure
