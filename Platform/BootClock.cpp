#include "Platform/BootClock.hpp"

#include "Core/Files.hpp"
#include "Core/Numbers.hpp"
#include "Core/Text.hpp"

#include <chrono>

namespace corvane::BootClock {

std::optional<int64_t> bootTime(const std::filesystem::path& procRoot)
{
    const auto stat = Files::read(procRoot / "stat");
    if (!stat)
        return std::nullopt;
    for (const auto line : Text::splitSkippingEmpty(*stat, '\n')) {
        if (line.starts_with("btime "))
            return Numbers::parseInt<int64_t>(Text::trim(line.substr(6)));
    }
    return std::nullopt;
}

std::optional<double> sinceBootTime(const std::filesystem::path& procRoot)
{
    const auto boot = bootTime(procRoot);
    if (!boot)
        return std::nullopt;
    const std::chrono::duration<double> now = std::chrono::system_clock::now().time_since_epoch();
    return now.count() - static_cast<double>(*boot);
}

std::optional<double> uptime(const std::filesystem::path& procRoot)
{
    const auto text = Files::read(procRoot / "uptime");
    if (!text)
        return std::nullopt;
    const auto words = Text::splitSkippingEmpty(Text::trim(*text), ' ');
    if (words.empty())
        return std::nullopt;
    return Numbers::parseFinite(words.front());
}

} // namespace corvane::BootClock
