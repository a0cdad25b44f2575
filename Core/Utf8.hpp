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

} // namespace corvane::Utf8
