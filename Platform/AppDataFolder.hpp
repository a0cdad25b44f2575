#pragma once

#include <filesystem>
#include <string_view>

// The product's own folder for the data it keeps, such as the usage history.
namespace corvane::AppDataFolder {

// $XDG_DATA_HOME/Corvane, or ~/.local/share/Corvane when XDG_DATA_HOME is unset,
// empty or relative; the home folder comes from HOME, else the password database.
std::filesystem::path path();

// The same rule over given values of XDG_DATA_HOME and the home folder.
std::filesystem::path path(std::string_view xdgDataHome, std::string_view home);

// The user's data folder itself: XDG_DATA_HOME when absolute, else home/.local/share.
std::filesystem::path dataHome(std::string_view xdgDataHome, std::string_view home);

} // namespace corvane::AppDataFolder
