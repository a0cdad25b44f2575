#include "Core/OSAScriptRunner.hpp"

#include "Core/Utf8.hpp"

#include <utility>

namespace corvane {
namespace {

bool isLineBreak(char32_t c)
{
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isWhitespaceOrLineBreak(char32_t c)
{
    return isLineBreak(c) || c == U' ' || c == U'\t' || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000;
}

} // namespace

OSAScriptRunner::OSAScriptRunner(CommandRunner command) : command_(std::move(command)) {}

std::string OSAScriptRunner::run(const std::string& script)
{
    const auto output = command_("/usr/bin/osascript", {"-e", script});
    if (output.status != 0)
        throw error(output.stderr);
    return Utf8::trim(output.stdout, isLineBreak);
}

BrowserError OSAScriptRunner::error(std::string_view stderrText)
{
    if (stderrText.find("(-1743)") != std::string_view::npos)
        return BrowserError::notPermitted();
    if (stderrText.find("(-600)") != std::string_view::npos)
        return BrowserError::notRunning();
    return BrowserError::failed(Utf8::trim(stderrText, isWhitespaceOrLineBreak));
}

} // namespace corvane
