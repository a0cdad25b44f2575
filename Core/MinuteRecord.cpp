#include "Core/MinuteRecord.hpp"

#include "Core/Numbers.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <variant>

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

// A top-level value of a record line: a whole number that fits int64, any other
// number, or nothing when the key is missing or holds anything else (no field takes that).
using Value = std::variant<std::monostate, int64_t, double>;

// The keys of a record, in the order the writer emits them.
constexpr std::array<std::string_view, 7> keys{"t", "cpu", "cpuMax", "pressure", "swap", "memUsed", "n"};

// Takes the top-level values of one JSON object as the parser meets them, without
// building a document: loading a month of history decodes 43,200 lines. Later
// duplicates of a key win, as they would in a document.
class RecordFields {
public:
    const Value& operator[](std::string_view key) const { return values[slot(key)]; }

    bool null() { return put({}); }
    bool boolean(bool) { return put({}); }
    bool number_integer(Json::number_integer_t value) { return put(value); }
    bool number_unsigned(Json::number_unsigned_t value)
    {
        // Beyond int64 only the CPU fields, as doubles, can take it.
        if (value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            return put(static_cast<double>(value));
        return put(static_cast<int64_t>(value));
    }
    bool number_float(Json::number_float_t value, const Json::string_t&) { return put(value); }
    bool string(Json::string_t&) { return put({}); }
    bool binary(Json::binary_t&) { return put({}); }
    bool start_object(std::size_t) { return open(); }
    bool start_array(std::size_t) { return open(); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    bool key(Json::string_t& name)
    {
        if (depth == 1)
            field = slot(name);
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const Json::exception&) { return false; }

private:
    std::array<Value, keys.size() + 1> values;  // the last slot takes the keys no field has
    std::size_t field = keys.size();
    int depth = 0;

    static std::size_t slot(std::string_view key)
    {
        return static_cast<std::size_t>(std::find(keys.begin(), keys.end(), key) - keys.begin());
    }
    bool put(Value value)
    {
        if (depth == 1)
            values[field] = value;
        return true;
    }
    bool open()
    {
        put({});  // an object or array is no field's type
        ++depth;
        return true;
    }
    bool close()
    {
        --depth;
        return true;
    }
};

std::optional<int64_t> integer(const Value& value)
{
    if (const auto* whole = std::get_if<int64_t>(&value))
        return *whole;
    return std::nullopt;
}

std::optional<int> smallInteger(const Value& value)
{
    const auto wide = integer(value);
    if (!wide || *wide < std::numeric_limits<int>::min() || *wide > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*wide);
}

// Always finite: the parser refuses a number too large for a double.
std::optional<double> number(const Value& value)
{
    if (const auto* floating = std::get_if<double>(&value))
        return *floating;
    if (const auto* whole = std::get_if<int64_t>(&value))
        return static_cast<double>(*whole);
    return std::nullopt;
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
    // The parser also refuses ill-formed UTF-8. Only a top-level object has keys at
    // depth 1, so any other document fills no field.
    RecordFields fields;
    if (!Json::sax_parse(text.begin(), text.end(), &fields))
        return std::nullopt;
    const auto t = integer(fields["t"]);
    const auto cpu = number(fields["cpu"]);
    const auto cpuMax = number(fields["cpuMax"]);
    const auto pressure = smallInteger(fields["pressure"]);
    const auto swap = integer(fields["swap"]);
    const auto memUsed = integer(fields["memUsed"]);
    const auto n = smallInteger(fields["n"]);
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
