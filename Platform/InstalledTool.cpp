#include "Platform/InstalledTool.hpp"

#include "Core/Text.hpp"

#include <unistd.h>

namespace fs = std::filesystem;

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

std::vector<fs::path> searchPath(std::string_view path)
{
    if (path.empty())
        path = "/usr/local/bin:/usr/bin:/bin";
    std::vector<fs::path> folders;
    for (const auto folder : Text::splitSkippingEmpty(path, ':')) {
        if (folder.starts_with('/'))
            folders.emplace_back(folder);
    }
    return folders;
}

std::optional<fs::path> findProgram(std::string_view program, const std::vector<fs::path>& searchPath)
{
    for (const auto& folder : searchPath) {
        if (auto file = folder / program; isExecutableFile(file))
            return file;
    }
    return std::nullopt;
}

bool isExecutableFile(const fs::path& file)
{
    std::error_code error;
    const auto status = fs::status(file, error);
    if (error || !fs::is_regular_file(status))
        return false;
    using fs::perms;
    return (status.permissions() & (perms::owner_exec | perms::group_exec | perms::others_exec)) != perms::none;
}

std::string resolvedProgram(std::string_view program, const std::vector<fs::path>& searchPath)
{
    if (program.empty())
        return {};
    if (program.find('/') != std::string_view::npos)
        return program.starts_with('/') && isExecutableFile(program) ? resolvedPath(program) : std::string();
    const auto found = findProgram(program, searchPath);
    return found ? resolvedPath(*found) : std::string();
}

std::string resolvedPath(const fs::path& path)
{
    std::error_code error;
    auto resolved = fs::canonical(path, error);
    return error ? std::string() : resolved.string();
}

} // namespace corvane::Platform
