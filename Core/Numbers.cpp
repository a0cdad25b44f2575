#include "Core/Numbers.hpp"

#include <array>

namespace corvane::Numbers {

std::optional<double> parseDouble(std::string_view text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (text.empty() || ec != std::errc{} || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<double> parseFinite(std::string_view text)
{
    auto value = parseDouble(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

std::optional<int> hexDigit(char32_t c)
{
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return std::nullopt;
}

std::optional<int64_t> roundToInt64(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return truncateTo<int64_t>(std::round(value));
}

std::optional<int64_t> multiply(int64_t a, int64_t b)
{
    int64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        return std::nullopt;
    return product;
}

int64_t saturatingAdd(int64_t a, int64_t b)
{
    int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    return sum;
}

std::string toText(double value)
{
    std::array<char, 32> buffer{};
    auto [ptr, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    (void)ec;
    return std::string(buffer.data(), ptr);
}

std::string toFixed(double value, int decimals)
{
    std::array<char, 400> buffer{};
    auto [ptr, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::fixed, decimals);
    if (ec != std::errc{})
        return toText(value);
    return std::string(buffer.data(), ptr);
}

} // namespace corvane::Numbers
