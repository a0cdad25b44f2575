#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

// Locale-independent number reading and writing. Every parser and printer of data
// in the system goes through here, so a user's locale never changes what is read.
namespace corvane::Numbers {

// A whole decimal integer that fits T, the whole text and nothing else
// (no sign for unsigned types, no leading "+", no spaces).
template <typename T>
std::optional<T> parseInt(std::string_view text)
{
    static_assert(std::is_integral_v<T>);
    T value{};
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, 10);
    if (text.empty() || ec != std::errc{} || ptr != end)
        return std::nullopt;
    return value;
}

// A whole decimal integer that fits the signed type T, with an optional leading "+" or
// "-" sign, as tool output may write one: "+9" reads as 9, "+-9" and "+" as nothing.
// Only where a reader allows the plus sign; elsewhere parseInt.
template <typename T>
std::optional<T> parseSignedInt(std::string_view text)
{
    static_assert(std::is_signed_v<T>);
    if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.starts_with('-'))
            return std::nullopt;
    }
    return parseInt<T>(text);
}

// A decimal floating-point number with "." as the decimal point, the whole text.
// Accepts what from_chars accepts, "inf" and "nan" included; see parseFinite.
std::optional<double> parseDouble(std::string_view text);

// As parseDouble, but only finite values: tool output with "nan" never reaches a sort.
std::optional<double> parseFinite(std::string_view text);

// The value of one hexadecimal digit (either case), or nothing for any other character.
std::optional<int> hexDigit(char32_t c);

// Rounds half away from zero into an int64, or nothing when the value is not
// finite or does not fit.
std::optional<int64_t> roundToInt64(double value);

// Truncates toward zero into T, or nothing when the value is not finite or does not fit.
template <typename T>
std::optional<T> truncateTo(double value)
{
    static_assert(std::is_integral_v<T>);
    if (!std::isfinite(value))
        return std::nullopt;
    const double t = std::trunc(value);
    // The bounds as doubles: the upper one is exclusive because max()+1 is a power of two.
    constexpr double low = static_cast<double>(std::numeric_limits<T>::min());
    constexpr double highExclusive = static_cast<double>(std::numeric_limits<T>::max()) + 1.0;
    if (t < low || t >= highExclusive)
        return std::nullopt;
    return static_cast<T>(t);
}

// a × b, or nothing when the product overflows.
std::optional<int64_t> multiply(int64_t a, int64_t b);

// a + b, held at the largest or smallest int64 instead of overflowing.
int64_t saturatingAdd(int64_t a, int64_t b);

// Decimal text of an integer.
template <typename T>
std::string toText(T value)
{
    static_assert(std::is_integral_v<T>);
    char buffer[24];
    auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;
    return std::string(buffer, ptr);
}

// Decimal text of a non-negative integer, with leading zeros up to `width` digits ("07").
template <typename T>
std::string toText(T value, std::size_t width)
{
    std::string text = toText(value);
    if (text.size() < width)
        text.insert(0, width - text.size(), '0');
    return text;
}

// Shortest text that reads back as the same double ("0.5", "12", "1e+300").
std::string toText(double value);

// Fixed-point text with exactly `decimals` digits after the point.
std::string toFixed(double value, int decimals);

} // namespace corvane::Numbers
