#include "Core/NetTop.hpp"

#include "Core/Numbers.hpp"
#include "Core/Text.hpp"
#include "Platform/SocketTraffic.hpp"

#include <algorithm>
#include <optional>

namespace corvane::NetTop {
namespace {

std::optional<NetUsage> usage(std::string_view line)
{
    const auto fields = Text::splitKeepingEmpty(line, ',');
    if (fields.size() < 3)
        return std::nullopt;
    // The process column is name.pid; a name may hold dots of its own.
    const auto dot = fields[0].rfind('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    const auto pid = Numbers::parseSignedInt<int32_t>(fields[0].substr(dot + 1));
    // Only finite figures: an infinite count would make every later sum and size meaningless.
    const auto bytesIn = Numbers::parseFinite(fields[1]);
    const auto bytesOut = Numbers::parseFinite(fields[2]);
    if (!pid || !bytesIn || !bytesOut || !(*bytesIn + *bytesOut > 0))
        return std::nullopt;
    return NetUsage{*pid, std::string(fields[0].substr(0, dot)), *bytesIn, *bytesOut};
}

} // namespace

std::vector<NetUsage> sample()
{
    // nettop does not exist on Linux; the socket table stands in with the same output.
    return parse(SocketTraffic::sample());
}

std::vector<NetUsage> parse(std::string_view text)
{
    auto lines = Text::splitSkippingEmpty(text, '\n');
    const auto header = std::find_if(lines.rbegin(), lines.rend(),
                                     [](std::string_view line) { return line.starts_with(",bytes_in"); });
    if (header != lines.rend())
        lines.erase(lines.begin(), header.base());
    std::vector<NetUsage> usages;
    for (const auto line : lines) {
        if (auto entry = usage(line))
            usages.push_back(std::move(*entry));
    }
    std::stable_sort(usages.begin(), usages.end(),
                     [](const NetUsage& a, const NetUsage& b) { return a.total() > b.total(); });
    return usages;
}

} // namespace corvane::NetTop
