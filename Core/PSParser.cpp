#include "Core/PSParser.hpp"

#include "Core/Numbers.hpp"
#include "Core/Text.hpp"

#include <array>
#include <cmath>

namespace corvane::PSParser {
namespace {

// Splits at runs of spaces into 7 words plus the rest of the line, which starts
// right after the single space that ended the seventh word, so paths keep their spaces.
bool splitFields(std::string_view line, std::array<std::string_view, 8>& fields)
{
    std::size_t pos = 0;
    for (std::size_t i = 0; i < 7; ++i) {
        while (pos < line.size() && line[pos] == ' ')
            ++pos;
        if (pos >= line.size())
            return false;
        const auto end = std::min(line.find(' ', pos), line.size());
        fields[i] = line.substr(pos, end - pos);
        pos = end + 1;
    }
    if (pos >= line.size())
        return false;
    fields[7] = line.substr(pos);
    return true;
}

std::optional<ProcessSample> parseLine(std::string_view line)
{
    std::array<std::string_view, 8> f;
    if (!splitFields(line, f))
        return std::nullopt;
    const auto pid = Numbers::parseInt<int32_t>(f[0]);
    const auto ppid = Numbers::parseInt<int32_t>(f[1]);
    const auto uid = Numbers::parseInt<uint32_t>(f[2]);
    const auto cpuTime = cpuSeconds(f[4]);
    const auto rssKiB = Numbers::parseInt<int64_t>(f[5]);
    const auto psCPU = Numbers::parseFinite(f[6]);
    if (!pid || !ppid || !uid || !cpuTime || !rssKiB || !psCPU)
        return std::nullopt;
    const auto rssBytes = Numbers::multiply(*rssKiB, 1024);
    if (!rssBytes)
        return std::nullopt;
    return ProcessSample{*pid, *ppid, *uid, std::string(f[3]), *cpuTime, *rssBytes, *psCPU, std::string(f[7])};
}

} // namespace

std::vector<ProcessSample> parse(std::string_view text)
{
    std::vector<ProcessSample> samples;
    for (const auto line : Text::splitSkippingEmpty(text, '\n')) {
        if (auto sample = parseLine(line))
            samples.push_back(std::move(*sample));
    }
    return samples;
}

std::optional<double> cpuSeconds(std::string_view text)
{
    const auto parts = Text::splitSkippingEmpty(text, ':');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    double seconds = 0;
    for (const auto part : parts) {
        const auto value = Numbers::parseFinite(part);
        if (!value)
            return std::nullopt;
        seconds = seconds * 60 + *value;
    }
    // Huge parts can still fold past the largest double; keep infinity out of the rates.
    if (!std::isfinite(seconds))
        return std::nullopt;
    return seconds;
}

} // namespace corvane::PSParser
