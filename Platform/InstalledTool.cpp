#include "Platform/InstalledTool.hpp"

#include <unistd.h>

namespace corvane::Platform {

std::optional<std::string> installedTool(std::initializer_list<std::string_view> candidates)
{
    for (const auto candidate : candidates) {
        std::string path(candidate);
        if (::access(path.c_str(), X_OK) == 0)
            return path;
    }
    return std::nullopt;
}

} // namespace corvane::Platform
