#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace corvane {

// The one place the program starts a child process.
namespace Shell {

struct Output {
    int32_t status = 0;  // exit code; a child killed by a signal reports 128 + the signal
    std::string stdout;  // UTF-8, invalid sequences replaced by U+FFFD, nothing trimmed
    std::string stderr;

    bool operator==(const Output&) const = default;
};

// Runs the executable at `path` with `arguments` (argv[1...]), inheriting the
// environment, working directory and standard input, and returns once the child
// has closed both output streams and exited. No shell is involved and there is
// no time-out. Throws std::system_error only when the child cannot be started.
Output run(const std::string& path, const std::vector<std::string>& arguments);

} // namespace Shell

// The seam through which components run their tools, so tests can answer for them.
using CommandRunner = std::function<Shell::Output(const std::string& path,
                                                  const std::vector<std::string>& arguments)>;

} // namespace corvane
