#include "Platform/ProcFS.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace corvane;

TEST(ProcFS, ListsOnlyNumericEntriesInOrder)
{
    test::FakeTree proc;
    proc.mkdir("42");
    proc.mkdir("7");
    proc.mkdir("self");
    proc.write("meminfo", "");
    EXPECT_EQ(ProcFS::listPids(proc.path()), (std::vector<int32_t>{7, 42}));
    EXPECT_THROW(ProcFS::listPids(proc.path("missing")), std::filesystem::filesystem_error);
}

TEST(ProcFS, EffectiveUidIsTheSecondColumn)
{
    test::FakeTree proc;
    proc.write("5/status", "Name:\tx\nUid:\t1000\t0\t0\t0\nGid:\t1\t1\t1\t1\n");
    EXPECT_EQ(ProcFS::effectiveUID(proc.path(), 5), 0u);
    EXPECT_FALSE(ProcFS::effectiveUID(proc.path(), 6));
}

TEST(ProcFS, ExecutablePathFallsBackFromExeToArgvToComm)
{
    test::FakeTree proc;
    proc.symlink("1/exe", "/usr/bin/tool (deleted)");
    proc.write("2/cmdline", std::string("/opt/app/bin/app\0--flag\0", 24));
    proc.write("2/comm", "app\n");
    proc.write("3/cmdline", std::string("relative\0", 9));
    proc.write("3/comm", "kworker\n");
    proc.symlink("5/exe", "/memfd:sealed (deleted)");
    proc.write("5/comm", "runner\n");
    // Past a mebibyte the command line is not read, here as in the tick.
    proc.write("6/cmdline", std::string("/opt/app/bin/app\0", 17) + std::string(1 << 20, 'x'));
    proc.write("6/comm", "flood\n");
    EXPECT_EQ(ProcFS::executablePath(proc.path(), 1), "/usr/bin/tool");
    EXPECT_EQ(ProcFS::executablePath(proc.path(), 2), "/opt/app/bin/app");
    EXPECT_EQ(ProcFS::executablePath(proc.path(), 3), "kworker");
    EXPECT_FALSE(ProcFS::executablePath(proc.path(), 4));
    EXPECT_EQ(ProcFS::executablePath(proc.path(), 5), "runner");
    EXPECT_EQ(ProcFS::executablePath(proc.path(), 6), "flood");
}

// Files of the tree are read whole whatever their size, and what is not a plain
// file cannot redirect, stall or flood the reader.
TEST(ProcFS, ReadsFilesWholeAndRefusesLinksPipesAndFloods)
{
    test::FakeTree proc;
    const std::string longStatus = std::string(5000, 'x') + "\nRssAnon:\t 12 kB\n";
    proc.write("1/status", longStatus);
    proc.write("1/stat", "1 (init) S 0\n");
    proc.write("1/huge", std::string((1 << 20) + 1, 'y'));
    proc.symlink("1/linked", proc.path("1/stat"));
    ASSERT_EQ(::mkfifo(proc.path("1/fifo").c_str(), 0600), 0);

    const ProcFS::Root root(proc.path());
    ProcFS::FileText text;
    ASSERT_TRUE(root.read(ProcFS::ProcessFile(1, "status").c_str(), text));
    EXPECT_EQ(text.view(), longStatus);
    ASSERT_TRUE(root.read("1/stat", text));
    EXPECT_EQ(text.view(), "1 (init) S 0\n");
    EXPECT_FALSE(root.read("1/huge", text));
    EXPECT_EQ(text.view(), "");
    EXPECT_FALSE(root.read("1/linked", text));
    EXPECT_FALSE(root.read("1", text));
    EXPECT_FALSE(root.read("1/missing", text));
    // A pipe without a writer reads as empty at once.
    EXPECT_TRUE(!root.read("1/fifo", text) || text.view().empty());
    EXPECT_EQ(ProcFS::fieldView(longStatus, "RssAnon"), "12 kB");
}
