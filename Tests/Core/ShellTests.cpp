#include "Core/Shell.hpp"

#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>

#include <system_error>

using namespace corvane;

TEST(Shell, ReturnsStatusAndBothStreamsUntrimmed)
{
    const auto output = Shell::run("/bin/sh", {"-c", "printf 'out\\n'; printf 'err ' >&2; exit 3"});
    EXPECT_EQ(output.status, 3);
    EXPECT_EQ(output.stdout, "out\n");
    EXPECT_EQ(output.stderr, "err ");
    EXPECT_EQ(Shell::run("/bin/true", {}), (Shell::Output{0, "", ""}));
}

TEST(Shell, ArgumentsReachTheChildUnchangedWithoutAShell)
{
    const auto output = Shell::run("/bin/echo", {"a  b", "$HOME", "'quoted'"});
    EXPECT_EQ(output.stdout, "a  b $HOME 'quoted'\n");
}

// The app keeps its termination signals off its worker threads; a child one of them
// starts must still hear a session's SIGTERM.
TEST(Shell, AChildStartsWithNoSignalBlocked)
{
    sigset_t quit, before;
    sigemptyset(&quit);
    sigaddset(&quit, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &quit, &before);
    const auto output = Shell::run("/bin/grep", {"SigBlk", "/proc/self/status"});
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    EXPECT_EQ(output.stdout, "SigBlk:\t0000000000000000\n");
}

TEST(Shell, MissingExecutableThrowsTheLaunchError)
{
    try {
        Shell::run("/nonexistent/tool", {});
        FAIL() << "expected a launch error";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
    }
}

TEST(Shell, FullErrorPipeDoesNotHang)
{
    // 1 MiB on stderr before anything on stdout would block a reader that drains stdout first.
    const auto output = Shell::run("/bin/sh", {"-c", "head -c 1048576 /dev/zero >&2; echo done"});
    EXPECT_EQ(output.status, 0);
    EXPECT_EQ(output.stdout, "done\n");
    EXPECT_EQ(output.stderr.size(), 1048576u);
}

TEST(Shell, ChildKilledBySignalReportsNonZero)
{
    const auto output = Shell::run("/bin/sh", {"-c", "kill -9 $$"});
    EXPECT_NE(output.status, 0);
}

TEST(Shell, InvalidUtf8BecomesReplacementCharacter)
{
    const auto output = Shell::run("/bin/sh", {"-c", "printf 'a\\377b'"});
    EXPECT_EQ(output.stdout, "a\xEF\xBF\xBD" "b");
}
