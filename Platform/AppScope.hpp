#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// The desktop application a process's systemd unit names. Desktops start each
// app in a unit of its own named after its desktop entry:
// "app[-<launcher>]-<entry id>-<random>.scope", "app[-<launcher>]-<entry id>[@<random>].service"
// or "app[-<launcher>]-<entry id>.slice", with systemd's escapes ("\x2d" for a "-"
// inside a name part); D-Bus starts one in "app-dbus-<bus>-<entry id>.slice", Snap in
// "snap.<snap>.<app>-<uuid>.scope" for the entry "<snap>_<app>".
namespace corvane::AppScope {

// The entry id (without ".desktop") named by the innermost app unit of a cgroup
// path, or empty when no part of the path is one.
std::string fromCgroupPath(std::string_view path);

// fromCgroupPath of a /proc/PID/cgroup text: of its unified hierarchy's line
// ("0::/…"), else of its systemd hierarchy's ("N:name=systemd:/…").
std::string fromCgroupFile(std::string_view text);

// fromCgroupFile of /proc/PID/cgroup under `procRoot`; empty when it cannot be read.
std::string ofProcess(const std::filesystem::path& procRoot, int32_t pid);

} // namespace corvane::AppScope
