#include "Core/SpeedResult.hpp"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace corvane {
namespace {

using nlohmann::json;

// Stored dates count from 2001-01-01 00:00:00 UTC, 978,307,200 seconds after the Unix epoch.
constexpr double referenceEpoch = 978'307'200.0;
// No speed test was measured a century before or after 2001: such a date was damaged in
// storage, and its result counts as none. It keeps dates far inside the clock's range too.
constexpr double plausibleSeconds = 100 * 365.25 * 86'400;

double storedSeconds(Date date)
{
    return std::chrono::duration<double>(date.time_since_epoch()).count() - referenceEpoch;
}

std::optional<Date> dateFromStored(double seconds)
{
    if (!(std::fabs(seconds) <= plausibleSeconds))
        return std::nullopt;
    return Date(std::chrono::round<Date::duration>(std::chrono::duration<double>(seconds + referenceEpoch)));
}

// Why a stored key cannot be read, if it cannot.
enum class Read { ok, missing, wrongKind };

Read readNumber(const json& object, const char* key, std::optional<double>& into)
{
    const auto value = object.find(key);
    if (value == object.end() || value->is_null())
        return Read::missing;
    if (!value->is_number())
        return Read::wrongKind;
    into = value->get<double>();
    return Read::ok;
}

Read readWholeNumber(const json& object, const char* key, std::optional<int64_t>& into)
{
    const auto value = object.find(key);
    if (value == object.end() || value->is_null())
        return Read::missing;
    if (!value->is_number_integer() ||
        (value->is_number_unsigned() && value->get<uint64_t>() > uint64_t(std::numeric_limits<int64_t>::max())))
        return Read::wrongKind;
    into = value->get<int64_t>();
    return Read::ok;
}

} // namespace

std::string SpeedResult::toJSON() const
{
    json object{{"downloadMbps", downloadMbps},
                {"uploadMbps", uploadMbps},
                {"measuredAt", storedSeconds(measuredAt)}};
    if (responsivenessRPM)
        object["responsivenessRPM"] = *responsivenessRPM;
    if (baseRTTms)
        object["baseRTTms"] = *baseRTTms;
    return object.dump();
}

std::optional<SpeedResult> SpeedResult::fromJSON(std::string_view text)
{
    const json object = json::parse(text, nullptr, false);
    if (!object.is_object())
        return std::nullopt;
    std::optional<double> download, upload, seconds;
    SpeedResult result;
    const bool readable = readNumber(object, "downloadMbps", download) == Read::ok &&
                          readNumber(object, "uploadMbps", upload) == Read::ok &&
                          readNumber(object, "measuredAt", seconds) == Read::ok &&
                          readWholeNumber(object, "responsivenessRPM", result.responsivenessRPM) != Read::wrongKind &&
                          readNumber(object, "baseRTTms", result.baseRTTms) != Read::wrongKind;
    const auto measuredAt = readable ? dateFromStored(*seconds) : std::nullopt;
    if (!measuredAt)
        return std::nullopt;
    result.downloadMbps = *download;
    result.uploadMbps = *upload;
    result.measuredAt = *measuredAt;
    return result;
}

} // namespace corvane
