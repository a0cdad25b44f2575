#include "Core/Format.hpp"

#include "Core/Numbers.hpp"

#include <array>
#include <cmath>
#include <limits>
#include <string_view>

namespace corvane::Format {
namespace {

struct Unit {
    std::string_view name;
    int decimals;
};
constexpr std::array<Unit, 4> units{{{"KB", 0}, {"MB", 1}, {"GB", 2}, {"TB", 2}}};

// "1234567" -> "1,234,567"
std::string groupThousands(std::string digits)
{
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), ",");
    return digits;
}

// Fixed decimals with trailing zeros (and a bare point) removed, thousands grouped.
std::string number(double value, int decimals)
{
    std::string text = Numbers::toFixed(value, decimals);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    const auto point = text.find('.');
    std::string whole = text.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : text.substr(point);
    return groupThousands(std::move(whole)) + fraction;
}

double roundTo(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

} // namespace

std::string bytes(int64_t count)
{
    const bool negative = count < 0;
    double value = std::fabs(static_cast<double>(count)) / 1024.0;
    std::size_t unit = 0;
    // Climb while the value, as it would be shown, reaches a whole next unit.
    while (unit + 1 < units.size() && roundTo(value, units[unit].decimals) >= 1024.0) {
        value /= 1024.0;
        ++unit;
    }
    const double shown = roundTo(value, units[unit].decimals);
    std::string text = number(shown, units[unit].decimals);
    if (negative && shown != 0)
        text.insert(0, "-");
    return text + " " + std::string(units[unit].name);
}

std::string storage(int64_t count)
{
    const double gigabytes = static_cast<double>(count) / 1'000'000'000.0;
    if (gigabytes >= 1000)
        return Numbers::toText(*Numbers::roundToInt64(gigabytes / 1000)) + " TB";
    return Numbers::toText(*Numbers::roundToInt64(gigabytes)) + " GB";
}

std::string percent(double value)
{
    if (std::isnan(value))
        return "0%";
    const auto rounded = Numbers::roundToInt64(value);
    const int64_t shown = rounded ? *rounded
                                  : (value > 0 ? std::numeric_limits<int64_t>::max()
                                               : std::numeric_limits<int64_t>::min());
    return Numbers::toText(shown) + "%";
}

} // namespace corvane::Format
