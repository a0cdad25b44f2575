#include "Core/Utf8.hpp"

#include <cstdint>

namespace corvane::Utf8 {
namespace {

constexpr std::string_view replacement = "\xEF\xBF\xBD";

// How a decoder sees the bytes at i: the length of the well-formed sequence there,
// or, when there is none, how many bytes make up the broken start of one (at least 1),
// so a truncated sequence gives one replacement, as the platform's decoder does.
// Overlong forms, surrogates and values past U+10FFFF are refused.
struct Step {
    std::size_t length;
    bool valid;
};

Step step(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t b0 = byte(i);
    if (b0 < 0x80)
        return {1, true};
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
        return {1, false};
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (i + k >= s.size())
            return {k, false};
        const uint8_t b = byte(i + k);
        if (k == 1 ? (b < low || b > high) : (b < 0x80 || b > 0xBF))
            return {k, false};
    }
    return {length, true};
}

} // namespace

std::string decodeLossy(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const Step next = step(bytes, i);
        if (next.valid)
            out.append(bytes.substr(i, next.length));
        else
            out += replacement;
        i += next.length;
    }
    return out;
}

bool isValid(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        const Step next = step(bytes, i);
        if (!next.valid)
            return false;
        i += next.length;
    }
    return true;
}

} // namespace corvane::Utf8
