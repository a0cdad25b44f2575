#include "Platform/AppDataFolder.hpp"

#include "Core/Text.hpp"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace fs = std::filesystem;

namespace corvane::AppDataFolder {
namespace {

std::string environment(const char* name)
{
    const char* value = ::getenv(name);
    return value ? value : "";
}

std::string homeFromPasswordDatabase()
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return "";
    return found->pw_dir;
}

} // namespace

fs::path path()
{
    std::string home = environment("HOME");
    if (home.empty())
        home = homeFromPasswordDatabase();
    return path(environment("XDG_DATA_HOME"), home);
}

fs::path path(std::string_view xdgDataHome, std::string_view home)
{
    return dataHome(xdgDataHome, home) / "Corvane";
}

fs::path dataHome(std::string_view xdgDataHome, std::string_view home)
{
    // The base-directory rules say a relative value is to be ignored.
    if (!xdgDataHome.empty() && fs::path(xdgDataHome).is_absolute())
        return fs::path(xdgDataHome);
    return fs::path(home) / ".local" / "share";
}

std::vector<fs::path> xdgApplicationFolders(const Environment& environment)
{
    const auto variable = [&](const char* name) {
        const char* value = environment(name);
        return std::string(value ? value : "");
    };
    std::vector<fs::path> folders;
    const auto add = [&](std::string_view base) {
        if (base.starts_with('/'))
            folders.push_back(fs::path(base) / "applications");
    };

    add(dataHome(variable("XDG_DATA_HOME"), variable("HOME")).string());

    auto dataDirs = variable("XDG_DATA_DIRS");
    if (dataDirs.empty())
        dataDirs = "/usr/local/share/:/usr/share/";
    for (const auto dir : Text::splitSkippingEmpty(dataDirs, ':'))
        add(dir);
    return folders;
}

} // namespace corvane::AppDataFolder
