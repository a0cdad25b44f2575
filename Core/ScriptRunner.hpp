#pragma once

#include <string>

namespace corvane {

// Runs one AppleScript text and returns its result text. The seam between the
// browser logic and the system's script tool, so the logic can be driven without it.
class ScriptRunner {
public:
    virtual ~ScriptRunner() = default;
    // Blocks until the script has finished. Throws BrowserError when the script
    // fails, or the launch error when the tool cannot be started.
    virtual std::string run(const std::string& script) = 0;
};

} // namespace corvane
