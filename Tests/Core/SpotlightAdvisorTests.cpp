#include "Core/SpotlightAdvisor.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvane;
using corvane::test::FakeTree;

namespace {

// Real (not sparse) content, so the file takes blocks on disk.
std::string content(std::size_t bytes)
{
    return std::string(bytes, 'x');
}

} // namespace

TEST(SpotlightAdvisorSize, CountsRegularFilesAllTheWayDownHiddenOnesToo)
{
    FakeTree tree;
    tree.write("data/a.bin", content(64 * 1024));
    const int64_t one = SpotlightAdvisor::allocatedSize(tree.path("data"));
    EXPECT_GE(one, 64 * 1024);  // allocated, so at least the content

    tree.write("data/deep/er/b.bin", content(64 * 1024));
    const int64_t two = SpotlightAdvisor::allocatedSize(tree.path("data"));
    EXPECT_EQ(two, 2 * one);

    tree.write("data/.hidden/.c.bin", content(64 * 1024));
    EXPECT_EQ(SpotlightAdvisor::allocatedSize(tree.path("data")), 3 * one);
}

TEST(SpotlightAdvisorSize, CountsAllocatedBlocksNotApparentSize)
{
    FakeTree tree;
    const auto sparse = tree.write("data/sparse.img", "");
    std::filesystem::resize_file(sparse, 100'000'000);
    EXPECT_LT(SpotlightAdvisor::allocatedSize(tree.path("data")), 1'000'000);
}

TEST(SpotlightAdvisorSize, LinksAreNeitherFollowedNorCounted)
{
    FakeTree tree;
    tree.write("data/a.bin", content(64 * 1024));
    const int64_t alone = SpotlightAdvisor::allocatedSize(tree.path("data"));
    tree.write("elsewhere/big.bin", content(256 * 1024));
    tree.symlink("data/file-link", tree.path("elsewhere/big.bin"));
    tree.symlink("data/folder-link", tree.path("elsewhere"));
    tree.symlink("data/loop", tree.path("data"));
    tree.symlink("data/dangling", tree.path("nowhere"));
    EXPECT_EQ(SpotlightAdvisor::allocatedSize(tree.path("data")), alone);
}

TEST(SpotlightAdvisorSize, WhatCannotBeReadCountsNothing)
{
    FakeTree tree;
    EXPECT_EQ(SpotlightAdvisor::allocatedSize(tree.path("missing")), 0);
    EXPECT_EQ(SpotlightAdvisor::allocatedSize(tree.write("file.bin", content(8192))), 0);  // not a folder
    EXPECT_EQ(SpotlightAdvisor::allocatedSize(tree.mkdir("empty")), 0);
}

TEST(SpotlightAdvisorSize, AnUnreadableSubfolderDoesNotEndTheWalk)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    FakeTree tree;
    tree.write("data/a/one.bin", content(64 * 1024));
    tree.write("data/z/two.bin", content(64 * 1024));
    const int64_t both = SpotlightAdvisor::allocatedSize(tree.path("data"));
    tree.write("data/m/locked/three.bin", content(64 * 1024));
    ::chmod(tree.path("data/m").c_str(), 0);
    const int64_t withLocked = SpotlightAdvisor::allocatedSize(tree.path("data"));
    ::chmod(tree.path("data/m").c_str(), 0755);
    EXPECT_EQ(withLocked, both);
}

TEST(SpotlightAdvisorFolders, ListsCandidatesAtLeastTheMinimumInTheirOrder)
{
    FakeTree home;
    home.write("Parallels/Windows.pvm/disk.hds", content(128 * 1024));
    home.write("Library/Developer/Xcode/DerivedData/App-abc/Build/obj.o", content(64 * 1024));
    home.write(".orbstack/data/tiny", content(100));
    const auto parallels = SpotlightAdvisor::allocatedSize(home.path("Parallels"));
    const auto xcode = SpotlightAdvisor::allocatedSize(home.path("Library/Developer/Xcode/DerivedData"));
    ASSERT_GT(parallels, xcode);

    const auto listed = SpotlightAdvisor::heavyFolders(home.root(), xcode);
    EXPECT_EQ(listed, (std::vector<HeavyFolder>{
                          {home.path("Library/Developer/Xcode/DerivedData"), "Xcode build data", xcode},
                          {home.path("Parallels"), "Parallels virtual machines", parallels},
                      }));
    // Docker's folder does not exist and OrbStack's is too small.

    const auto larger = SpotlightAdvisor::heavyFolders(home.root(), xcode + 1);
    ASSERT_EQ(larger.size(), 1u);
    EXPECT_EQ(larger[0].label, "Parallels virtual machines");
}

TEST(SpotlightAdvisorFolders, EmptyCandidateFoldersMeetAZeroMinimum)
{
    FakeTree home;
    home.mkdir("Library/Containers/com.docker.docker");
    EXPECT_EQ(SpotlightAdvisor::heavyFolders(home.root(), 0),
              (std::vector<HeavyFolder>{{home.path("Library/Containers/com.docker.docker"), "Docker data", 0}}));
    EXPECT_TRUE(SpotlightAdvisor::heavyFolders(home.root(), 1).empty());
}
