#include "Core/OSAScriptRunner.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

using namespace corvane;

TEST(OSAScriptRunnerRun, PassesTheScriptAsOneArgumentAndTrimsOnlyLineBreaks)
{
    std::vector<std::string> command;
    std::string stdoutText = " result\t\n\n";
    OSAScriptRunner runner([&](const std::string& path, const std::vector<std::string>& arguments) {
        command = arguments;
        command.insert(command.begin(), path);
        return Shell::Output{0, stdoutText, ""};
    });
    EXPECT_EQ(runner.run("line 1\nline 2"), " result\t");
    EXPECT_EQ(command, (std::vector<std::string>{"/usr/bin/osascript", "-e", "line 1\nline 2"}));

    stdoutText = "\r\n\xE2\x80\xA8" "a\nb\xC2\x85\x0B\x0C\xE2\x80\xA9";
    EXPECT_EQ(runner.run("s"), "a\nb");
}

TEST(OSAScriptRunnerRun, LaunchErrorPassesUnchanged)
{
    OSAScriptRunner fake([](const std::string&, const std::vector<std::string>&) -> Shell::Output {
        throw std::system_error(std::make_error_code(std::errc::permission_denied), "osascript");
    });
    try {
        fake.run("s");
        FAIL() << "expected the launch error";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::permission_denied);
    }
    if (!std::filesystem::exists("/usr/bin/osascript")) {
        EXPECT_THROW(OSAScriptRunner().run("return 1"), std::system_error);
    }
}

TEST(OSAScriptRunnerError, PermissionMarkerWinsThenNotRunningThenTheTrimmedText)
{
    EXPECT_EQ(OSAScriptRunner::error("(-600) then (-1743)"), BrowserError::notPermitted());
    EXPECT_EQ(OSAScriptRunner::error("x (-600) y"), BrowserError::notRunning());
    EXPECT_EQ(OSAScriptRunner::error(" \t\n0:12: syntax error: -600 (-2740)\r\n"),
              BrowserError::failed("0:12: syntax error: -600 (-2740)"));
    EXPECT_EQ(OSAScriptRunner::error("\xC2\xA0\xE3\x80\x80inner  space\xE2\x80\xAF"), BrowserError::failed("inner  space"));
    EXPECT_NE(BrowserError::failed(""), BrowserError::notRunning());
}
