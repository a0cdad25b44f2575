#pragma once

#include <filesystem>
#include <optional>

namespace corvane::Platform {

// The folder holding the running executable, or nothing when it cannot be told.
std::optional<std::filesystem::path> executableDirectory();

} // namespace corvane::Platform
