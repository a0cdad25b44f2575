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

TEST(Files, AFileOverTheLimitIsRefusedUnread)
{
    test::FakeTree tree;
    tree.write("four", "1234");
    EXPECT_EQ(Files::read(tree.path("four"), 4), "1234");
    EXPECT_FALSE(Files::read(tree.path("four"), 3));
    // A sparse gibibyte: refused by its size, so nothing of it is read or held.
    const auto huge = tree.write("huge", "");
    std::filesystem::resize_file(huge, std::uintmax_t{1} << 30);
    EXPECT_FALSE(Files::read(huge, 1 << 20));
}
