#pragma once

#include "Platform/Environment.hpp"

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <vector>

// The product's own folder for the data it keeps, such as the usage history, and the
// user's and the system's XDG data folders it is found among.
namespace corvane::AppDataFolder {

// $XDG_DATA_HOME/Corvane, or ~/.local/share/Corvane when XDG_DATA_HOME is unset,
// empty or relative; the home folder comes from HOME, else the password database.
std::filesystem::path path();

// The same rule over given values of XDG_DATA_HOME and the home folder.
std::filesystem::path path(std::string_view xdgDataHome, std::string_view home);

// The user's data folder itself: XDG_DATA_HOME when absolute, else home/.local/share.
std::filesystem::path dataHome(std::string_view xdgDataHome, std::string_view home);

// $XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS/applications, with
// the defaults ~/.local/share and /usr/local/share:/usr/share; relative paths are ignored.
std::vector<std::filesystem::path> xdgApplicationFolders(const Environment& environment = std::getenv);

} // namespace corvane::AppDataFolder
