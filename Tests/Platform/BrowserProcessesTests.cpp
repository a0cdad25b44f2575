#include "Platform/BrowserProcesses.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

using namespace corvane;

TEST(BrowserProcesses, RunningMeansTheUserRunsOneOfTheBrowsersExecutables)
{
    test::FakeTree proc;
    const auto process = [&](int pid, const std::string& uid, const std::string& exe) {
        proc.write(std::to_string(pid) + "/status", "Name:\tx\nUid:\t" + uid + "\t" + uid + "\t0\t0\n");
        proc.symlink(std::to_string(pid) + "/exe", exe);
    };
    process(10, "1000", "/opt/google/chrome/google-chrome");
    process(11, "0", "/opt/brave.com/brave/brave");
    process(12, "1000", "/opt/microsoft/msedge/msedge-helper");
    process(13, "1000", "/opt/brave.com/brave/brave (deleted)");

    EXPECT_TRUE(BrowserProcesses::isRunning("com.google.Chrome", proc.path(), 1000));
    EXPECT_FALSE(BrowserProcesses::isRunning("com.google.Chrome", proc.path(), 0));
    EXPECT_TRUE(BrowserProcesses::isRunning("com.brave.Browser", proc.path(), 1000));
    EXPECT_FALSE(BrowserProcesses::isRunning("com.microsoft.edgemac", proc.path(), 1000));
    EXPECT_FALSE(BrowserProcesses::isRunning("com.google.chrome", proc.path(), 1000));
    EXPECT_FALSE(BrowserProcesses::isRunning("com.google.Chrome", proc.path("missing"), 1000));
}
