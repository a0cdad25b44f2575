#include "Platform/ExecutablePath.hpp"

#include <system_error>

namespace corvane::Platform {

std::optional<std::filesystem::path> executableDirectory()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::nullopt;
    return executable.parent_path();
}

} // namespace corvane::Platform
