#include "Core/Files.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <system_error>

using namespace corvane;

TEST(Files, ReadsOnlyRegularFilesAndNeverBlocks)
{
    test::FakeTree tree;
    tree.write("a/file", "text");
    ::mkfifo(tree.path("pipe").c_str(), 0600);  // opening it for reading would wait for a writer
    EXPECT_EQ(Files::read(tree.path("a/file")), "text");
    EXPECT_FALSE(Files::read(tree.path("a")));
    EXPECT_FALSE(Files::read(tree.path("missing")));
    EXPECT_FALSE(Files::read(tree.path("pipe")));
    EXPECT_FALSE(Files::read("/dev/zero"));
}

TEST(Files, ReadOrThrowRefusesAFolderWithItsReason)
{
    test::FakeTree tree;
    try {
        Files::readOrThrow(tree.path());
        FAIL();
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::is_a_directory);
    }
}

TEST(Files, AFileOverItsBoundIsRefusedWithoutHoldingIt)
{
    test::FakeTree tree;
    tree.write("four", "1234");
    EXPECT_EQ(Files::read(tree.path("four"), 4), "1234");
    EXPECT_FALSE(Files::read(tree.path("four"), 3));
    EXPECT_EQ(Files::read(tree.path("four"), 0), std::nullopt);
    // Sparse files larger than memory cost nothing to make; a reader that trusted the
    // reported size would ask for all of it.
    const auto huge = tree.write("huge", "");
    std::filesystem::resize_file(huge, std::uintmax_t{64} << 30);
    EXPECT_FALSE(Files::read(huge));
    EXPECT_FALSE(Files::read(huge, 1 << 20));
    try {
        Files::readOrThrow(huge);
        FAIL();
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::file_too_large);
    }
    // Kernel files report no size: the bound holds while reading.
    EXPECT_FALSE(Files::read("/proc/self/status", 16));
    EXPECT_TRUE(Files::read("/proc/self/status"));
}
