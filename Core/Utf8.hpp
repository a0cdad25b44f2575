#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace corvane::Utf8 {

// The bytes as UTF-8 text, each invalid sequence replaced by U+FFFD, so decoding never fails.
std::string decodeLossy(std::string_view bytes);

// True when the bytes are well-formed UTF-8.
bool isValid(std::string_view bytes);

// The text without the code points at either end for which `drop` holds
// (an invalid byte is taken as U+FFFD).
std::string trim(std::string_view text, const std::function<bool(char32_t)>& drop);

// Line feed, vertical tab, form feed, carriage return, NEL, and the line and paragraph separators.
bool isLineBreak(char32_t c);

// Every Unicode White_Space character: the line breaks, tab, space, no-break space and
// the other space separators.
bool isWhitespace(char32_t c);

// The text without whitespace and line breaks at either end, as tool messages are shown.
std::string trimWhitespace(std::string_view text);

// A name (of a process, app, tab or item) as it may be shown among other text: the
// bidirectional formatting characters dropped, so it cannot reverse how it or what
// follows it reads, and control characters and line breaks as spaces, so it stays on
// one line. An invalid byte becomes U+FFFD.
std::string nameForDisplay(std::string_view name);

} // namespace corvane::Utf8
