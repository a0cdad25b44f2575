#include "Core/Utf8.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>

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

// The code point of the sequence at i (U+FFFD for a broken one) and its length.
std::pair<char32_t, std::size_t> codePointAt(std::string_view s, std::size_t i)
{
    const Step next = step(s, i);
    if (!next.valid)
        return {U'\uFFFD', next.length};
    const auto b0 = static_cast<uint8_t>(s[i]);
    char32_t value = next.length == 1 ? b0 : b0 & (0xFF >> (next.length + 1));
    for (std::size_t k = 1; k < next.length; ++k)
        value = (value << 6) | (static_cast<uint8_t>(s[i + k]) & 0x3F);
    return {value, next.length};
}

// The Bidi_Control characters: the embeddings, overrides and isolates with their
// terminators, and the three directional marks.
bool isBidiControl(char32_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// The C0 and C1 control characters and DEL.
bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
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

std::string trim(std::string_view text, const std::function<bool(char32_t)>& drop)
{
    // Walk forward once, so the end is found on the same sequence boundaries.
    std::size_t first = text.size(), last = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto [c, length] = codePointAt(text, i);
        if (!drop(c)) {
            first = std::min(first, i);
            last = i + length;
        }
        i += length;
    }
    return first < last ? std::string(text.substr(first, last - first)) : std::string();
}

bool isLineBreak(char32_t c)
{
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isWhitespace(char32_t c)
{
    return isLineBreak(c) || c == U' ' || c == U'\t' || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

std::string trimWhitespace(std::string_view text)
{
    return trim(text, isWhitespace);
}

std::string nameForDisplay(std::string_view name)
{
    std::string shown;
    shown.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const auto [c, length] = codePointAt(name, i);
        if (isControl(c) || isLineBreak(c))
            shown += ' ';
        else if (c == U'\uFFFD')
            shown += replacement;  // also for a broken sequence
        else if (!isBidiControl(c))
            shown.append(name.substr(i, length));
        i += length;
    }
    return shown;
}

} // namespace corvane::Utf8
