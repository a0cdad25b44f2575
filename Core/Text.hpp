#pragma once

#include <string>
#include <string_view>
#include <vector>

// Small text helpers shared by the parsers.
namespace corvane::Text {

// The text after the last "/"; the whole text when it holds none.
std::string lastPathComponent(std::string_view path);

// The pieces between separators, leaving out empty pieces.
std::vector<std::string_view> splitSkippingEmpty(std::string_view text, char separator);

// The pieces between separators, empty pieces included: "a,,b," gives "a", "", "b", "".
std::vector<std::string_view> splitKeepingEmpty(std::string_view text, char separator);

// Leading and trailing characters of `characters` removed (by default spaces, tabs,
// carriage returns and line feeds).
std::string_view trim(std::string_view text, std::string_view characters = " \t\r\n");

} // namespace corvane::Text
