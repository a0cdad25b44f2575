#include "Platform/SysFS.hpp"

#include "Core/Files.hpp"
#include "Core/Text.hpp"

#include <algorithm>

namespace fs = std::filesystem;

namespace corvane::SysFS {

std::optional<std::string> readValue(const fs::path& file)
{
    const auto text = Files::read(file);
    if (!text)
        return std::nullopt;
    return std::string(Text::trim(*text));
}

std::vector<fs::path> entries(const fs::path& folder)
{
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        found.push_back(it->path());
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace corvane::SysFS
