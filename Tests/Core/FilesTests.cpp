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
