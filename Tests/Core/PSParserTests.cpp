#include "Core/PSParser.hpp"

#include <gtest/gtest.h>

using namespace corvane;

TEST(PSParser, ReadsRightAlignedColumnsAndKeepsSpacesInPaths)
{
    const auto samples = PSParser::parse(
        "  412     1   501 user      0:01.50  20480   0.0 /Applications/My App.app/Contents/MacOS/My App\n");
    ASSERT_EQ(samples.size(), 1u);
    const auto& s = samples[0];
    EXPECT_EQ(s.pid, 412);
    EXPECT_EQ(s.ppid, 1);
    EXPECT_EQ(s.uid, 501u);
    EXPECT_EQ(s.user, "user");
    EXPECT_DOUBLE_EQ(s.cpuTime, 1.5);
    EXPECT_EQ(s.rssBytes, 20480 * 1024);
    EXPECT_DOUBLE_EQ(s.psCPU, 0.0);
    EXPECT_EQ(s.path, "/Applications/My App.app/Contents/MacOS/My App");
    EXPECT_EQ(s.name(), "My App");
}

TEST(PSParser, KernelProcessNameIsItsOwnName)
{
    const auto samples = PSParser::parse("0 0 0 root 83:20.00 4096 12.5 kernel_task");
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_DOUBLE_EQ(samples[0].cpuTime, 5000);
    EXPECT_EQ(samples[0].name(), "kernel_task");
}

TEST(PSParser, DropsBadLinesAndKeepsOrder)
{
    const std::string text =
        "  PID  PPID   UID USER TIME RSS %CPU COMM\n"          // header
        "\n"
        "1 0 0 root 0:01.00 10 0.0 /sbin/launchd\n"
        "2 1 0 root 0:01.00 10 0,5 /bin/comma\n"               // decimal comma
        "3 1 0 root 0:01.00 10 0.0\n"                          // no command
        "4 1 0 root 0:01.00 10 0.0 \n"                         // empty command
        "5 1 0 root 1-02:03:04 10 0.0 /bin/dayprefix\n"        // day prefix
        "6 1 -1 root 0:01.00 10 0.0 /bin/negativeuid\n"
        "7 1 0 root 0:01.00 10 nan /bin/nan\n"
        "8 1 0 root 0:01.00 10 inf /bin/inf\n"
        "9 1 0 root 0:01.00 9007199254740993 0.0 /bin/overflow\n"  // KiB × 1024 overflows
        "2147483648 1 0 root 0:01.00 10 0.0 /bin/bigpid\n"
        "10 1 0 root 0:02.00 10 1.0 /usr/bin/last\n";
    const auto samples = PSParser::parse(text);
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0].pid, 1);
    EXPECT_EQ(samples[1].pid, 10);
}

TEST(PSParser, EmptyAndBlankTextsGiveNothing)
{
    EXPECT_TRUE(PSParser::parse("").empty());
    EXPECT_TRUE(PSParser::parse("\n\n\n").empty());
}

TEST(PSParser, TabIsNotASeparator)
{
    EXPECT_TRUE(PSParser::parse("1\t0 0 root 0:01.00 10 0.0 /x").empty());
    const auto samples = PSParser::parse("1 0 0 root 0:01.00 10 0.0 /a\tb");
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].path, "/a\tb");
}

TEST(PSParser, CpuSeconds)
{
    EXPECT_DOUBLE_EQ(*PSParser::cpuSeconds("0:01.50"), 1.5);
    EXPECT_DOUBLE_EQ(*PSParser::cpuSeconds("12:34.56"), 754.56);
    EXPECT_DOUBLE_EQ(*PSParser::cpuSeconds("1:02:03"), 3723);
    EXPECT_DOUBLE_EQ(*PSParser::cpuSeconds("1::5"), 65);
    EXPECT_FALSE(PSParser::cpuSeconds("42"));
    EXPECT_FALSE(PSParser::cpuSeconds("1:2:3:4"));
    EXPECT_FALSE(PSParser::cpuSeconds("1-02:03:04"));
    EXPECT_FALSE(PSParser::cpuSeconds("nan:01"));
    EXPECT_FALSE(PSParser::cpuSeconds("1e307:1e307"));  // folds past the largest double
}
