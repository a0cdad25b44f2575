#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::Platform {

// The first of `candidates` that is an executable file, or nothing when none is installed.
std::optional<std::string> installedTool(std::initializer_list<std::string_view> candidates);

} // namespace corvane::Platform
