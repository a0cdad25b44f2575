#include "Core/MinuteRecord.hpp"

#include "Core/Numbers.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <span>
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
    // The values of the record's keys, in key order.
    std::span<const Value, keys.size()> fields() const { return std::span(values).first<keys.size()>(); }

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

// The record from the values of its keys, in key order; nothing when one is missing
// or of the wrong type.
std::optional<MinuteRecord> recordOf(std::span<const Value, keys.size()> fields)
{
    const auto t = integer(fields[0]);
    const auto cpu = number(fields[1]);
    const auto cpuMax = number(fields[2]);
    const auto pressure = smallInteger(fields[3]);
    const auto swap = integer(fields[4]);
    const auto memUsed = integer(fields[5]);
    const auto n = smallInteger(fields[6]);
    if (!t || !isCalendarMinute(*t) || !cpu || !cpuMax || !pressure || !swap || !memUsed || !n)
        return std::nullopt;
    return MinuteRecord{*t, *cpu, *cpuMax, *pressure, *swap, *memUsed, *n};
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The number at the start of `rest`, taken off it, with the type the JSON parser gives
// it: an integer when written whole, else a double. Nothing when no number in JSON's own
// form starts there, or it is out of range, where the parser's own rules decide.
std::optional<Value> takeNumber(std::string_view& rest)
{
    const char* const begin = rest.data();
    const char* const end = begin + rest.size();
    const char* const digits = begin + (rest.starts_with('-') ? 1 : 0);
    if (digits == end || !isDigit(*digits))
        return std::nullopt;  // JSON has no "+", ".5", "inf" or lone "-"
    int64_t whole = 0;
    const auto [wholeEnd, error] = std::from_chars(begin, end, whole);
    if (error != std::errc{} || (*digits == '0' && wholeEnd - digits > 1))
        return std::nullopt;  // beyond int64, or a leading zero JSON does not allow
    const char* p = wholeEnd;
    const auto skipDigits = [&] {
        const char* const start = p;
        while (p != end && isDigit(*p))
            ++p;
        return p != start;
    };
    if (p != end && *p == '.') {
        ++p;
        if (!skipDigits())
            return std::nullopt;
    }
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p != end && (*p == '+' || *p == '-'))
            ++p;
        if (!skipDigits())
            return std::nullopt;
    }
    rest.remove_prefix(static_cast<std::size_t>(p - begin));
    if (p == wholeEnd)
        return Value(whole);
    if (const auto floating = Numbers::parseDouble(std::string_view(begin, static_cast<std::size_t>(p - begin))))
        return Value(*floating);
    return std::nullopt;
}

// The values of a line in encode's own form: every key once, in field order, no spaces.
std::optional<std::array<Value, keys.size()>> compactFields(std::string_view line)
{
    // What precedes each value there, in field order.
    constexpr std::array<std::string_view, keys.size()> leads{
        R"({"t":)", R"(,"cpu":)", R"(,"cpuMax":)", R"(,"pressure":)", R"(,"swap":)", R"(,"memUsed":)", R"(,"n":)"};
    std::array<Value, keys.size()> fields;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (!line.starts_with(leads[i]))
            return std::nullopt;
        line.remove_prefix(leads[i].size());
        const auto value = takeNumber(line);
        if (!value)
            return std::nullopt;
        fields[i] = *value;
    }
    if (line != "}")
        return std::nullopt;
    return fields;
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
    // A month of history is 43,200 lines, nearly all in the writer's own form.
    if (auto record = decodeCompact(text))
        return record;
    return decodeJSON(text);
}

std::optional<MinuteRecord> MinuteRecord::decodeCompact(std::string_view line)
{
    const auto fields = compactFields(line);
    return fields ? recordOf(*fields) : std::nullopt;
}

std::optional<MinuteRecord> MinuteRecord::decodeJSON(std::string_view text)
{
    // The parser also refuses ill-formed UTF-8. Only a top-level object has keys at
    // depth 1, so any other document fills no field.
    RecordFields fields;
    if (!Json::sax_parse(text.begin(), text.end(), &fields))
        return std::nullopt;
    return recordOf(fields.fields());
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
