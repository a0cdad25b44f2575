#include "Core/SpeedTest.hpp"

#include "Core/Numbers.hpp"
#include "Core/Utf8.hpp"

#include <nlohmann/json.hpp>

#include <chrono>
#include <optional>

namespace corvane {

const char* SpeedTestError::what() const noexcept
{
    if (kind_ == Case::unreadable)
        return "the speed test's report could not be read";
    return message_.empty() ? "the speed test failed" : message_.c_str();
}

namespace SpeedTest {
namespace {

std::optional<double> number(const nlohmann::json& report, const char* key)
{
    const auto value = report.find(key);
    if (value == report.end() || !value->is_number())
        return std::nullopt;
    return value->get<double>();
}

} // namespace

SpeedResult run(const CommandRunner& runner)
{
    const auto output = runner("/usr/bin/networkQuality", arguments);
    if (output.status != 0)
        throw SpeedTestError::failed(Utf8::trimWhitespace(output.stderr));
    return parse(output.stdout, std::chrono::system_clock::now());
}

SpeedResult parse(std::string_view data, Date at)
{
    const auto report = nlohmann::json::parse(data, nullptr, false);
    if (!report.is_object())
        throw SpeedTestError::unreadable();
    const auto download = number(report, "dl_throughput");
    const auto upload = number(report, "ul_throughput");
    if (!download || !upload)
        throw SpeedTestError::unreadable();
    SpeedResult result;
    result.downloadMbps = *download / 1'000'000;
    result.uploadMbps = *upload / 1'000'000;
    // A figure beyond the integer range is left out rather than converted.
    if (const auto rpm = number(report, "responsiveness"))
        result.responsivenessRPM = Numbers::truncateTo<int64_t>(*rpm);
    result.baseRTTms = number(report, "base_rtt");
    result.measuredAt = at;
    return result;
}

} // namespace SpeedTest

} // namespace corvane
