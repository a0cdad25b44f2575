#pragma once

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Finding programs installed on this machine.
namespace corvane::Platform {

// The first of `candidates` that is an executable file, or nothing when none is installed.
std::optional<std::string> installedTool(std::initializer_list<std::string_view> candidates);

// The folders a PATH value names, in order; relative ones are left out, since they would
// find programs wherever the app happened to be started. An empty value searches the
// usual folders, as a shell does.
std::vector<std::filesystem::path> searchPath(std::string_view path);

// Where a shell would find `program` on `searchPath`: the first folder that holds it as an
// executable file. Nothing when no folder does.
std::optional<std::filesystem::path> findProgram(std::string_view program,
                                                 const std::vector<std::filesystem::path>& searchPath);

// Whether `file` is a regular file someone may execute.
bool isExecutableFile(const std::filesystem::path& file);

// The executable file a command names, with its links followed: an absolute path as it
// stands, a bare name where findProgram finds it. Empty when there is none; a relative
// path names none, since it would depend on where the app was started.
std::string resolvedProgram(std::string_view program, const std::vector<std::filesystem::path>& searchPath);

// `path` with its links followed and its dots removed; empty when nothing is there.
std::string resolvedPath(const std::filesystem::path& path);

} // namespace corvane::Platform
