#include "Core/MinuteRecord.hpp"

#include "Core/Numbers.hpp"
#include "Core/Utf8.hpp"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace corvane {
namespace {

using Json = nlohmann::ordered_json;

// Minutes that still fit Date's nanosecond clock, on either side of 1970.
constexpr int64_t minuteLimit =
    std::chrono::duration_cast<std::chrono::minutes>(Date::duration::max()).count();

bool isCalendarMinute(int64_t minute)
{
    return minute >= -minuteLimit && minute <= minuteLimit;
}

std::optional<int64_t> integer(const Json& object, const char* key)
{
    const auto it = object.find(key);
    if (it == object.end() || !it->is_number_integer())
        return std::nullopt;
    if (it->is_number_unsigned()) {
        const auto value = it->get<uint64_t>();
        if (value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            return std::nullopt;
        return static_cast<int64_t>(value);
    }
    return it->get<int64_t>();
}

std::optional<int> smallInteger(const Json& object, const char* key)
{
    const auto value = integer(object, key);
    if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<double> number(const Json& object, const char* key)
{
    const auto it = object.find(key);
    if (it == object.end() || !it->is_number())
        return std::nullopt;
    const double value = it->get<double>();
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::string MinuteRecord::encode() const
{
    // The JSON writer would print a non-finite number as null, which no reader takes back.
    if (!std::isfinite(cpu) || !std::isfinite(cpuMax))
        throw std::invalid_argument("usage record for minute " + Numbers::toText(t) +
                                    " has a CPU value that is not a finite number");
    Json json;
    json["t"] = t;
    json["cpu"] = cpu;
    json["cpuMax"] = cpuMax;
    json["pressure"] = pressure;
    json["swap"] = swap;
    json["memUsed"] = memUsed;
    json["n"] = n;
    return json.dump();
}

std::optional<MinuteRecord> MinuteRecord::decode(std::string_view text)
{
    if (!Utf8::isValid(text))
        return std::nullopt;
    const Json json = Json::parse(text.begin(), text.end(), nullptr, false);
    if (!json.is_object())
        return std::nullopt;
    const auto t = integer(json, "t");
    const auto cpu = number(json, "cpu");
    const auto cpuMax = number(json, "cpuMax");
    const auto pressure = smallInteger(json, "pressure");
    const auto swap = integer(json, "swap");
    const auto memUsed = integer(json, "memUsed");
    const auto n = smallInteger(json, "n");
    if (!t || !isCalendarMinute(*t) || !cpu || !cpuMax || !pressure || !swap || !memUsed || !n)
        return std::nullopt;
    return MinuteRecord{*t, *cpu, *cpuMax, *pressure, *swap, *memUsed, *n};
}

int64_t minuteOf(Date date)
{
    return std::chrono::duration_cast<std::chrono::seconds>(date.time_since_epoch()).count() / 60;
}

Date startOfMinute(int64_t minute)
{
    if (!isCalendarMinute(minute))
        throw std::out_of_range("minute " + Numbers::toText(minute) + " is outside the calendar");
    return Date(std::chrono::minutes(minute));
}

} // namespace corvane
