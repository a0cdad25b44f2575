#include "Platform/AppDataFolder.hpp"

#include "Core/Text.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace fs = std::filesystem;

namespace corvane::AppDataFolder {
namespace {

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
    std::string home = valueOf(std::getenv, "HOME");
    if (home.empty())
        home = homeFromPasswordDatabase();
    return path(valueOf(std::getenv, "XDG_DATA_HOME"), home);
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
    std::vector<fs::path> folders;
    const auto add = [&](std::string_view base) {
        if (base.starts_with('/'))
            folders.push_back(fs::path(base) / "applications");
    };

    add(dataHome(valueOf(environment, "XDG_DATA_HOME"), valueOf(environment, "HOME")).string());

    auto dataDirs = valueOf(environment, "XDG_DATA_DIRS");
    if (dataDirs.empty())
        dataDirs = "/usr/local/share/:/usr/share/";
    for (const auto dir : Text::splitSkippingEmpty(dataDirs, ':'))
        add(dir);
    return folders;
}

} // namespace corvane::AppDataFolder
