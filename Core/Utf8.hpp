#pragma once

#include <string>
#include <string_view>

namespace corvane::Utf8 {

// The bytes as UTF-8 text, each invalid sequence replaced by U+FFFD, so decoding never fails.
std::string decodeLossy(std::string_view bytes);

// True when the bytes are well-formed UTF-8.
bool isValid(std::string_view bytes);

} // namespace corvane::Utf8
