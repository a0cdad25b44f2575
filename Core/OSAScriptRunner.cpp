#include "Core/OSAScriptRunner.hpp"

#include <cstdint>
#include <utility>

namespace corvane {
namespace {

// The code point starting at byte i of well-formed UTF-8 text, with its length.
std::pair<char32_t, std::size_t> codePointAt(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t b0 = byte(i);
    std::size_t length = b0 < 0x80 ? 1 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
    if (i + length > text.size())
        return {U'\uFFFD', 1};
    char32_t value = length == 1 ? b0 : b0 & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k)
        value = (value << 6) | (byte(i + k) & 0x3F);
    return {value, length};
}

// Start of the UTF-8 sequence that ends right before byte `end`.
std::size_t previousStart(std::string_view text, std::size_t end)
{
    std::size_t start = end - 1;
    while (start > 0 && (static_cast<uint8_t>(text[start]) & 0xC0) == 0x80)
        --start;
    return start;
}

bool isLineBreak(char32_t c)
{
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isWhitespaceOrLineBreak(char32_t c)
{
    return isLineBreak(c) || c == U' ' || c == U'\t' || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000;
}

// The text without the code points at its ends for which `drop` holds.
template <typename Predicate>
std::string trimCodePoints(std::string_view text, Predicate drop)
{
    std::size_t first = 0;
    while (first < text.size()) {
        const auto [c, length] = codePointAt(text, first);
        if (!drop(c))
            break;
        first += length;
    }
    std::size_t last = text.size();
    while (last > first) {
        const std::size_t start = previousStart(text, last);
        if (!drop(codePointAt(text, start).first))
            break;
        last = start;
    }
    return std::string(text.substr(first, last - first));
}

} // namespace

OSAScriptRunner::OSAScriptRunner(CommandRunner command) : command_(std::move(command)) {}

std::string OSAScriptRunner::run(const std::string& script)
{
    const auto output = command_("/usr/bin/osascript", {"-e", script});
    if (output.status != 0)
        throw error(output.stderr);
    return trimCodePoints(output.stdout, isLineBreak);
}

BrowserError OSAScriptRunner::error(std::string_view stderrText)
{
    if (stderrText.find("(-1743)") != std::string_view::npos)
        return BrowserError::notPermitted();
    if (stderrText.find("(-600)") != std::string_view::npos)
        return BrowserError::notRunning();
    return BrowserError::failed(trimCodePoints(stderrText, isWhitespaceOrLineBreak));
}

} // namespace corvane
