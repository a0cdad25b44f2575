#include "Core/InstalledApps.hpp"

namespace corvane {

std::vector<std::string_view> ProcessIdentity::options() const
{
    std::vector<std::string_view> result;
    std::size_t start = arguments.find('\0');
    while (start != std::string_view::npos && start + 1 < arguments.size()) {
        const auto end = arguments.find('\0', start + 1);
        result.push_back(arguments.substr(start + 1, end == std::string_view::npos ? end : end - start - 1));
        start = end;
    }
    return result;
}

} // namespace corvane
