#pragma once

#include "Core/BrowserError.hpp"
#include "Core/ScriptRunner.hpp"
#include "Core/Shell.hpp"

#include <string_view>

namespace corvane {

// Runs scripts with the system's osascript tool.
class OSAScriptRunner : public ScriptRunner {
public:
    // `command` stands in for Shell::run in tests.
    explicit OSAScriptRunner(CommandRunner command = Shell::run);

    // The tool's output without the line breaks at its ends. Throws the mapped
    // BrowserError when the tool exits non-zero; a launch error passes through unchanged.
    std::string run(const std::string& script) override;

    // The error a failed run's error text stands for.
    static BrowserError error(std::string_view stderrText);

private:
    CommandRunner command_;
};

} // namespace corvane
