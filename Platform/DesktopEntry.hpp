#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Reading desktop entries (".desktop" files), as the freedesktop.org Desktop Entry
// format writes them.
namespace corvane::DesktopEntry {

// The keys of one group ([Desktop Entry] unless another is named: a D-Bus service
// file's is "D-BUS Service") with their values unescaped ("\s", "\n",
// "\t", "\r", "\\"). Localised keys ("Name[de]") are kept as they stand; of a
// repeated key the first counts.
using Keys = std::map<std::string, std::string, std::less<>>;

// Real entries are a few kibibytes; no larger file is read as one.
inline constexpr std::size_t maxBytes = 256 * 1024;

Keys parse(std::string_view text, std::string_view group = "Desktop Entry");

// parse() of a file; empty when it cannot be read. A file over maxBytes is not read at all.
Keys read(const std::filesystem::path& file, std::string_view group = "Desktop Entry");

// The value of a key, empty when absent.
std::string value(const Keys& keys, std::string_view key);

// A boolean key: true only when it is written "true".
bool isTrue(const Keys& keys, std::string_view key);

// The arguments of an Exec value (as parse() gives it): split at blanks, quotes
// and their backslash escapes removed, field codes ("%U", "%f" …) dropped and "%%"
// read as "%". The first argument is the program.
std::vector<std::string> execArguments(std::string_view exec);

} // namespace corvane::DesktopEntry
