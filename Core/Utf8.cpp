#include "Core/Utf8.hpp"

#include <cstdint>

namespace corvane::Utf8 {
namespace {

constexpr std::string_view replacement = "\xEF\xBF\xBD";

// Length of the well-formed sequence starting at i, or 0 when it is not one
// (overlong forms, surrogates and values past U+10FFFF are refused).
std::size_t sequenceLength(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t b0 = byte(i);
    if (b0 < 0x80)
        return 1;
    std::size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0) low = 0xA0;
        if (b0 == 0xED) high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0) low = 0x90;
        if (b0 == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    const uint8_t b1 = byte(i + 1);
    if (b1 < low || b1 > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k) {
        const uint8_t b = byte(i + k);
        if (b < 0x80 || b > 0xBF)
            return 0;
    }
    return length;
}

} // namespace

std::string decodeLossy(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t n = sequenceLength(bytes, i);
        if (n == 0) {
            out += replacement;
            ++i;
        } else {
            out.append(bytes.substr(i, n));
            i += n;
        }
    }
    return out;
}

bool isValid(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = sequenceLength(bytes, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

} // namespace corvane::Utf8
