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
const std::string block(64 * 1024, 'x');

} // namespace

TEST(SpotlightAdvisorSize, CountsRegularFilesAllTheWayDownHiddenOnesToo)
{
    FakeTree tree;
    tree.write("data/a.bin", block);
    const int64_t one = SpotlightAdvisor::allocatedSize(tree.path("data"));
    EXPECT_GE(one, static_cast<int64_t>(block.size()));
    tree.write("data/deep/er/b.bin", block);
    tree.write("data/.hidden/.c.bin", block);
    EXPECT_EQ(SpotlightAdvisor::allocatedSize(tree.path("data")), 3 * one);

    // Allocated blocks, not apparent size.
    std::filesystem::resize_file(tree.write("data/sparse.img", ""), 100'000'000);
    EXPECT_LT(SpotlightAdvisor::allocatedSize(tree.path("data")), 3 * one + 1'000'000);
}

TEST(SpotlightAdvisorSize, LinksAreNeitherFollowedNorCounted)
{
    FakeTree tree;
    tree.write("data/a.bin", block);
    const int64_t alone = SpotlightAdvisor::allocatedSize(tree.path("data"));
    tree.write("elsewhere/big.bin", block + block);
    tree.symlink("data/file-link", tree.path("elsewhere/big.bin"));
    tree.symlink("data/folder-link", tree.path("elsewhere"));
    tree.symlink("data/loop", tree.path("data"));
    tree.symlink("data/dangling", tree.path("nowhere"));
    EXPECT_EQ(SpotlightAdvisor::allocatedSize(tree.path("data")), alone);
}

TEST(SpotlightAdvisorSize, WhatCannotBeWalkedCountsNothing)
{
    FakeTree tree;
    EXPECT_EQ(SpotlightAdvisor::allocatedSize(tree.path("missing")), 0);
    EXPECT_EQ(SpotlightAdvisor::allocatedSize(tree.write("file.bin", block)), 0);  // not a folder
}

TEST(SpotlightAdvisorSize, AnUnreadableSubfolderDoesNotEndTheWalk)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    FakeTree tree;
    tree.write("data/a/one.bin", block);
    tree.write("data/z/two.bin", block);
    const int64_t both = SpotlightAdvisor::allocatedSize(tree.path("data"));
    tree.write("data/m/locked/three.bin", block);
    ::chmod(tree.path("data/m").c_str(), 0);
    const int64_t withLocked = SpotlightAdvisor::allocatedSize(tree.path("data"));
    ::chmod(tree.path("data/m").c_str(), 0755);
    EXPECT_EQ(withLocked, both);
}

TEST(SpotlightAdvisorFolders, ListsCandidatesOfAtLeastTheMinimumInTheirOrder)
{
    FakeTree home;
    home.write("Parallels/Windows.pvm/disk.hds", block + block);
    home.write("Library/Developer/Xcode/DerivedData/App-abc/Build/obj.o", block);
    home.write(".orbstack/data/tiny", "x");
    home.mkdir("Library/Containers/com.docker.docker");
    const auto parallels = SpotlightAdvisor::allocatedSize(home.path("Parallels"));
    const auto xcode = SpotlightAdvisor::allocatedSize(home.path("Library/Developer/Xcode/DerivedData"));
    ASSERT_GT(parallels, xcode);

    // Docker's folder is empty and OrbStack's too small.
    EXPECT_EQ(SpotlightAdvisor::heavyFolders(home.root(), xcode),
              (std::vector<HeavyFolder>{
                  {home.path("Library/Developer/Xcode/DerivedData"), "Xcode build data", xcode},
                  {home.path("Parallels"), "Parallels virtual machines", parallels},
              }));
    const auto larger = SpotlightAdvisor::heavyFolders(home.root(), xcode + 1);
    ASSERT_EQ(larger.size(), 1u);
    EXPECT_EQ(larger[0].label, "Parallels virtual machines");
    EXPECT_EQ(SpotlightAdvisor::heavyFolders(home.root(), 0).size(), 4u);
}
