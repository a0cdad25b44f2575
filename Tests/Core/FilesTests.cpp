#include "Core/Files.hpp"

#include "Tests/Support/FakeTree.hpp"
#include "Tests/Support/ReadOnlyFolder.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
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

// A program's first bytes (its "#!" line), however large the program: a pipe put in
// its place is refused, whether a writer holds it or not.
TEST(Files, ReadHeadReadsTheStartOfARegularFileAndNeverBlocks)
{
    test::FakeTree tree;
    EXPECT_EQ(Files::readHead(tree.write("program", "#!/bin/sh\n" + std::string(1 << 20, 'x')), 10), "#!/bin/sh\n");
    EXPECT_EQ(Files::readHead(tree.write("short", "ab"), 256), "ab");
    EXPECT_FALSE(Files::readHead(tree.path(), 256));
    EXPECT_FALSE(Files::readHead(tree.path("missing"), 256));

    const auto pipe = tree.path("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // No writer: a blocking open would wait for one, so a writer is let in after a
    // generous while, which ends the wait instead of hanging the suite.
    auto unwritten = std::async(std::launch::async, [&] { return Files::readHead(pipe, 256); });
    if (unwritten.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        ADD_FAILURE() << "opening a pipe waited for a writer";
        ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
    }
    EXPECT_FALSE(unwritten.get());
    // A writer holding it with more than a head in it: a reader that took it for a file
    // would return those bytes at once.
    const int writer = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const std::string written(1024, '#');
    ASSERT_EQ(::write(writer, written.data(), written.size()), static_cast<ssize_t>(written.size()));
    EXPECT_FALSE(Files::readHead(pipe, 256));
    ::close(writer);
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

// What may stand where the app keeps a person's file: only their own regular file of sane
// size, here or wherever links lead, is read and written through. Opening it and looking
// at it without opening agree, and both tell where it really lies.
TEST(FilesKept, OnlyThePersonsOwnFileOfSaneSizeIsTakenWhereverALinkLeads)
{
    namespace fs = std::filesystem;
    test::FakeTree tree;
    tree.write("kept/plain", "a=1\n");
    tree.write("kept/sixteen", "0123456789abcdef");
    const auto sparse = tree.write("kept/sparse", "");
    fs::resize_file(sparse, std::uintmax_t{1} << 30);  // a gibibyte that costs no disk
    tree.write("dotfiles/plain", "b=2\n");
    ::mkfifo(tree.path("kept/pipe").c_str(), 0600);
    ::mkfifo(tree.path("dotfiles/pipe").c_str(), 0600);
    tree.mkdir("kept/folder");
    tree.symlink("kept/to-plain", "plain");
    tree.symlink("kept/to-link-to-plain", tree.path("kept/to-plain"));
    tree.symlink("kept/to-dotfiles", tree.path("dotfiles/plain"));
    tree.symlink("kept/to-nothing", tree.path("kept/missing"));
    tree.symlink("kept/to-pipe", tree.path("dotfiles/pipe"));
    tree.symlink("kept/to-null", "/dev/null");
    tree.symlink("kept/to-folder", tree.path("dotfiles"));
    tree.symlink("kept/loop", "loop");
    // Someone else's file: one handed to nobody when the test may do that, else the
    // system's own, which is not the test's.
    const auto theirs = tree.write("dotfiles/theirs", "c=3\n");
    const bool handedOver = ::chown(theirs.c_str(), 65534, 65534) == 0;
    tree.symlink("kept/to-theirs", handedOver ? theirs : std::string("/etc/passwd"));

    using Files::Place;
    const struct {
        const char* name;
        Place place;
        const char* target = nullptr;  // for a file, relative to the tree
        const char* content = nullptr;
    } cases[]{
        {"missing", Place::empty},
        {"plain", Place::file, "kept/plain", "a=1\n"},
        {"sixteen", Place::file, "kept/sixteen", "0123456789abcdef"},
        {"sparse", Place::other},
        {"pipe", Place::other},
        {"folder", Place::folder},
        {"to-plain", Place::file, "kept/plain", "a=1\n"},
        {"to-link-to-plain", Place::file, "kept/plain", "a=1\n"},
        {"to-dotfiles", Place::file, "dotfiles/plain", "b=2\n"},
        {"to-nothing", Place::other},  // a write would create a file wherever it points
        {"to-pipe", Place::other},
        {"to-null", Place::other},
        {"to-folder", Place::folder},
        {"loop", Place::other},
        {"to-theirs", Place::other},
        {"plain/inside", Place::other},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = tree.path(std::string("kept/") + c.name);
        const Files::Found read = Files::readKept(path, 16);
        const Files::Found looked = Files::inspect(path, 16);
        EXPECT_EQ(read.place, c.place);
        EXPECT_EQ(looked.place, c.place);
        if (c.target) {
            const auto target = fs::canonical(tree.path(c.target));
            EXPECT_EQ(read.target, target);
            EXPECT_EQ(looked.target, target);
            EXPECT_EQ(read.content, c.content);
        }
        EXPECT_TRUE(looked.content.empty());
    }
    EXPECT_EQ(Files::readKept(sparse, Files::defaultMaxBytes).place, Place::other);  // over the usual bound too
}

// A change lands all at once beside the file it replaces, so a link to it stays a link
// and a reader sees the old text or the new; a write that fails leaves the old file and
// no new one.
TEST(FilesKept, ReplacingWritesBesideTheTargetAllAtOnce)
{
    namespace fs = std::filesystem;
    test::FakeTree tree;
    const auto target = tree.write("dotfiles/Corvane.conf", "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    tree.symlink("config/Corvane.conf", target);

    const auto found = Files::inspect(tree.path("config/Corvane.conf"), 1024);
    ASSERT_EQ(found.place, Files::Place::file);
    Files::replace(found.target, "new");
    EXPECT_EQ(tree.read("config/Corvane.conf"), "new");
    EXPECT_TRUE(fs::is_symlink(tree.path("config/Corvane.conf")));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(tree.entries("", "dotfiles"), std::vector<fs::path>{target});  // nothing left beside it

    Files::replace(tree.path("config/new.conf"), "created");
    EXPECT_EQ(tree.read("config/new.conf"), "created");

    const auto failsWith = [&](std::errc expected) {
        try {
            Files::replace(target, "lost");
            ADD_FAILURE() << "written";
        } catch (const std::system_error& error) {
            EXPECT_EQ(error.code(), expected) << error.what();
        }
    };
    {
        const test::ReadOnlyFolder store(tree.path("dotfiles"));
        failsWith(std::errc::permission_denied);
    }
    EXPECT_EQ(tree.read("dotfiles/Corvane.conf"), "new");
    EXPECT_EQ(tree.entries("", "dotfiles"), std::vector<fs::path>{target});
    fs::remove_all(tree.path("dotfiles"));
    failsWith(std::errc::no_such_file_or_directory);
}

TEST(FilesKept, SettingAsideRenamesTheEntryItselfAndNeverReplacesOne)
{
    test::FakeTree tree;
    const Date now = std::chrono::sys_days{std::chrono::year{2026} / 3 / 7} + std::chrono::hours(9) +
                     std::chrono::minutes(5) + std::chrono::seconds(3);
    const std::string stamped = tree.path("Corvane.conf.unreadable-20260307T090503Z");
    tree.write("Corvane.conf.unreadable-20260307T090503Z", "earlier");
    tree.write("Corvane.conf", "garbage");
    EXPECT_EQ(Files::setAside(tree.path("Corvane.conf"), "unreadable", now), stamped + "-2");
    EXPECT_EQ(tree.read("Corvane.conf.unreadable-20260307T090503Z"), "earlier");
    EXPECT_EQ(tree.read("Corvane.conf.unreadable-20260307T090503Z-2"), "garbage");
    EXPECT_FALSE(std::filesystem::exists(tree.path("Corvane.conf")));

    // A link moves as a link: what it points at stays where it is.
    tree.write("target", "kept");
    tree.symlink("Corvane.conf", tree.path("target"));
    EXPECT_EQ(Files::setAside(tree.path("Corvane.conf"), "unreadable", now), stamped + "-3");
    EXPECT_TRUE(std::filesystem::is_symlink(stamped + "-3"));
    EXPECT_EQ(tree.read("target"), "kept");

    EXPECT_THROW(Files::setAside(tree.path("missing"), "unreadable", now), std::system_error);
}
