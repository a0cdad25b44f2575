#include "Core/OSAScriptRunner.hpp"

#include "Core/Utf8.hpp"

#include <utility>

namespace corvane {

OSAScriptRunner::OSAScriptRunner(CommandRunner command) : command_(std::move(command)) {}

std::string OSAScriptRunner::run(const std::string& script)
{
    const auto output = command_("/usr/bin/osascript", {"-e", script});
    if (output.status != 0)
        throw error(output.stderr);
    return Utf8::trim(output.stdout, Utf8::isLineBreak);
}

BrowserError OSAScriptRunner::error(std::string_view stderrText)
{
    if (stderrText.find("(-1743)") != std::string_view::npos)
        return BrowserError::notPermitted();
    if (stderrText.find("(-600)") != std::string_view::npos)
        return BrowserError::notRunning();
    return BrowserError::failed(Utf8::trimWhitespace(stderrText));
}

} // namespace corvane
