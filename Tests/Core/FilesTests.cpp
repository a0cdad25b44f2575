#include "Core/Files.hpp"

#include "Tests/Support/FakeTree.hpp"
#include "Tests/Support/ReadOnlyFolder.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <iostream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

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

namespace {

namespace fs = std::filesystem;

constexpr uid_t nobody = 65534;

} // namespace

// What may stand where the app keeps a person's file: only their own regular file within
// the bound, here or wherever their own links lead, is taken; anything else says what is
// wrong with it.
TEST(FilesKept, OnlyThePersonsOwnFileWithinTheBoundIsTaken)
{
    test::FakeTree tree;
    tree.write("kept/plain", "a=1\n");
    tree.write("kept/sixteen", "0123456789abcdef");
    tree.write("kept/seventeen", "0123456789abcdefg");
    const auto sparse = tree.write("kept/sparse", "");
    fs::resize_file(sparse, std::uintmax_t{1} << 30);  // a gibibyte that costs no disk
    tree.write("dotfiles/plain", "b=2\n");
    ::mkfifo(tree.path("kept/pipe").c_str(), 0600);
    ::mkfifo(tree.path("dotfiles/pipe").c_str(), 0600);
    tree.mkdir("kept/folder");
    tree.symlink("kept/to-plain", "plain");
    tree.symlink("kept/to-link-to-plain", tree.path("kept/to-plain"));
    tree.symlink("kept/to-dotfiles", "../dotfiles/plain");
    tree.symlink("kept/to-nothing", tree.path("kept/missing"));
    tree.symlink("kept/through-nothing", tree.path("gone/plain"));
    tree.symlink("kept/to-pipe", tree.path("dotfiles/pipe"));
    tree.symlink("kept/to-null", "/dev/null");
    tree.symlink("kept/to-folder", tree.path("dotfiles"));
    tree.symlink("kept/loop", "loop");
    // Someone else's file: one handed to nobody when the test may do that, else the
    // system's own, which is not the test's.
    const auto theirs = tree.write("dotfiles/theirs", "c=3\n");
    tree.symlink("kept/to-theirs", ::chown(theirs.c_str(), nobody, nobody) == 0 ? theirs : "/etc/passwd");
    // What the person may not read, which is not missing. Root reads anything, unless its
    // thread gives that up, as it does while a read-only folder lives.
    fs::permissions(tree.write("kept/unreadable", "a=1\n"), fs::perms::none);
    const test::ReadOnlyFolder withoutOverride(tree.path("kept"));

    using Files::Place;
    const struct {
        const char* name;
        Place place;
        const char* target = nullptr;  // for a file, relative to the tree
        const char* content = nullptr;
        std::uintmax_t size = 0;
        const char* why = nullptr;  // found in what is said to be wrong
    } cases[]{
        {"missing", Place::empty},
        {"plain", Place::file, "kept/plain", "a=1\n", 4},
        {"sixteen", Place::file, "kept/sixteen", "0123456789abcdef", 16},
        {"seventeen", Place::tooLarge, "kept/seventeen", nullptr, 17},
        {"sparse", Place::tooLarge, "kept/sparse", nullptr, std::uintmax_t{1} << 30},
        {"pipe", Place::notRegular, nullptr, nullptr, 0, "is a pipe"},
        {"folder", Place::folder},
        {"to-plain", Place::file, "kept/plain", "a=1\n", 4},
        {"to-link-to-plain", Place::file, "kept/plain", "a=1\n", 4},
        {"to-dotfiles", Place::file, "dotfiles/plain", "b=2\n", 4},
        {"to-nothing", Place::notRegular, nullptr, nullptr, 0, "which is not there"},
        {"through-nothing", Place::notRegular, nullptr, nullptr, 0, "/gone, which is not there"},
        {"to-pipe", Place::notRegular, nullptr, nullptr, 0, "is a pipe"},
        {"to-null", Place::notRegular, nullptr, nullptr, 0, "/dev/null is a device"},
        {"to-folder", Place::folder},
        {"loop", Place::notRegular, nullptr, nullptr, 0, "links in a loop"},
        {"to-theirs", Place::notYours, nullptr, nullptr, 0, "belongs to someone else"},
        {"plain/inside", Place::notRegular, nullptr, nullptr, 0, "is no folder"},
        {"unreadable", Place::unreadable, nullptr, nullptr, 4, "kept/unreadable: Permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = tree.path(std::string("kept/") + c.name);
        const Files::Found found = Files::readKept(path, 16);
        EXPECT_EQ(found.place, c.place);
        EXPECT_EQ(found.size, c.size);
        EXPECT_EQ(found.linked, fs::is_symlink(path));
        if (c.target) {
            EXPECT_EQ(found.target, fs::canonical(tree.path(c.target)));
        }
        EXPECT_EQ(found.content, c.content ? c.content : "");
        EXPECT_NE(found.why.find(c.why ? c.why : ""), std::string::npos) << found.why;
    }
    EXPECT_EQ(Files::readKept(sparse, Files::defaultMaxBytes).place, Place::tooLarge);  // over the usual bound too
}

// Every folder and link on the way to the file must be one that no one but the person
// and root can change; else another user could lead a write anywhere. A folder others may
// write to is such a way even when it is the person's; a sticky one is not, for entries of
// the person's or root's. A second user, for the cases that need one, is nobody, whom
// only root can hand things to.
TEST(FilesKept, TheWayToTheFileIsOnlyThroughWhatNoOneElseCanChange)
{
    using enum fs::perms;
    using enum Files::Place;
    const struct {
        const char* name;
        fs::perms mode;      // of the folder the link leads through
        const char* given;   // an entry handed to another user or group, as only root may
        uid_t owner;
        gid_t group;
        Files::Place place;
        const char* why = "";  // % for the tree
    } cases[]{
        {"a folder of one's own", owner_all | others_read, nullptr, 0, 0, file},
        {"a folder anyone may write to", all, nullptr, 0, 0, notYours, "others can write to the folder %/shared"},
        {"a sticky folder anyone may write to", all | sticky_bit, nullptr, 0, 0, file},
        {"their folder", owner_all, "shared", nobody, nobody, notYours, "the folder %/shared belongs to someone else"},
        {"their link on the way", owner_all, "config/Corvane.conf", nobody, nobody, notYours,
         "the link %/config/Corvane.conf belongs to someone else"},
        {"their file in a sticky folder anyone may write to", all | sticky_bit, "shared/Corvane.conf", nobody, nobody,
         notYours, "others can write to the folder %/shared"},
        {"a folder their group may write to", owner_all | group_all, "shared", 0, nobody, notYours,
         "others can write to the folder %/shared"},
        // Root's own group is one of its own: its write permission opens nothing.
        {"a folder the person's own group may write to", owner_all | group_all, "shared", 0, 0, file},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.given && ::geteuid() != 0) {
            std::cout << "[  SKIPPED ] " << c.name << ": handing things to another user needs root\n";
            continue;
        }
        test::FakeTree tree;
        tree.write("shared/Corvane.conf", "x=1\n");
        tree.symlink("config/Corvane.conf", tree.path("shared/Corvane.conf"));
        fs::permissions(tree.path("shared"), c.mode);
        ASSERT_TRUE(!c.given || ::lchown(tree.path(c.given).c_str(), c.owner, c.group) == 0);
        const auto found = Files::readKept(tree.path("config/Corvane.conf"), 1024);
        EXPECT_EQ(found.place, c.place);
        std::string why = c.why;
        if (const auto at = why.find('%'); at != std::string::npos)
            why.replace(at, 1, tree.path());
        EXPECT_EQ(found.why, why);
    }
    // A file right in a settings folder others may write to is not even set aside there.
    test::FakeTree tree;
    fs::permissions(tree.mkdir("shared"), fs::perms::all);
    const auto kept = Files::Kept::find(tree.write("shared/Corvane.conf", "x=1\n"), 1024);
    EXPECT_EQ(kept.found().place, Files::Place::notYours);
    EXPECT_THROW(kept.setAside("unreadable", Date{}), std::system_error);
    EXPECT_EQ(tree.read("shared/Corvane.conf"), "x=1\n");
}

// A swap in the person's own folder after the file was found (a dotfiles tool relinking)
// is caught before the replacement lands: the swapped-in link and what it points at stay
// as they are. So is a file that appears where there was none.
TEST(FilesKept, ASwapAfterTheFileWasFoundIsNotWrittenOver)
{
    test::FakeTree tree;
    const auto bashrc = tree.write("home/.bashrc", "export PATH\n");
    const auto dotfile = tree.write("home/dotfiles/corvane.conf", "x=2\n");
    const auto settings = tree.symlink("home/.config/Corvane/Corvane.conf", dotfile);
    auto kept = Files::Kept::find(settings, 1024, true);
    ASSERT_EQ(kept.found().place, Files::Place::file);
    fs::remove(dotfile);
    fs::create_symlink(bashrc, dotfile);
    try {
        kept.replace("onboarded=true\n");
        ADD_FAILURE() << "written";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::resource_unavailable_try_again) << error.what();
    }
    EXPECT_EQ(tree.read("home/.bashrc"), "export PATH\n");
    EXPECT_EQ(fs::read_symlink(dotfile), bashrc);
    EXPECT_EQ(tree.entries("", "home/dotfiles"), std::vector<fs::path>{dotfile});  // nothing left beside it

    const auto fresh = tree.path("home/dotfiles/fresh.conf");
    kept = Files::Kept::find(fresh, 1024, true);
    ASSERT_EQ(kept.found().place, Files::Place::empty);
    tree.write("home/dotfiles/fresh.conf", "theirs");
    EXPECT_THROW(kept.replace("mine"), std::system_error);
    EXPECT_EQ(tree.read("home/dotfiles/fresh.conf"), "theirs");
}

// A change lands all at once beside the file it replaces, so a link to it stays a link
// and a reader sees the old text or the new; a write that fails leaves the old file and
// no new one. Folders missing on the way are made, private to the person.
TEST(FilesKept, ReplacingWritesBesideTheTargetAllAtOnce)
{
    test::FakeTree tree;
    const auto target = tree.write("dotfiles/Corvane.conf", "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    tree.symlink("config/Corvane.conf", target);

    const auto found = Files::Kept::find(tree.path("config/Corvane.conf"), 1024, true);
    ASSERT_EQ(found.found().place, Files::Place::file);
    found.replace("new");
    EXPECT_EQ(tree.read("config/Corvane.conf"), "new");
    EXPECT_TRUE(fs::is_symlink(tree.path("config/Corvane.conf")));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(tree.entries("", "dotfiles"), std::vector<fs::path>{target});  // nothing left beside it

    Files::Kept::find(tree.path("config/new/deeper/new.conf"), 1024, true).replace("created");
    EXPECT_EQ(tree.read("config/new/deeper/new.conf"), "created");
    EXPECT_EQ(fs::status(tree.path("config/new")).permissions(), fs::perms::owner_all);
    EXPECT_EQ(Files::readKept(tree.path("config/other/new.conf"), 1024).place, Files::Place::empty);
    EXPECT_FALSE(fs::exists(tree.path("config/other")));  // a read makes no folder

    const auto failsWith = [&](std::errc expected) {
        try {
            Files::Kept::find(target, 1024, true).replace("lost");
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
}

TEST(FilesKept, SettingAsideRenamesTheEntryItselfAndNeverReplacesOne)
{
    test::FakeTree tree;
    const Date now = std::chrono::sys_days{std::chrono::year{2026} / 3 / 7} + std::chrono::hours(9) +
                     std::chrono::minutes(5) + std::chrono::seconds(3);
    const std::string stamped = tree.path("Corvane.conf.unreadable-20260307T090503Z");
    tree.write("Corvane.conf.unreadable-20260307T090503Z", "earlier");
    tree.write("Corvane.conf", "garbage");
    EXPECT_EQ(Files::Kept::find(tree.path("Corvane.conf"), 1024).setAside("unreadable", now), stamped + "-2");
    EXPECT_EQ(tree.read("Corvane.conf.unreadable-20260307T090503Z"), "earlier");
    EXPECT_EQ(tree.read("Corvane.conf.unreadable-20260307T090503Z-2"), "garbage");
    EXPECT_FALSE(fs::exists(tree.path("Corvane.conf")));

    // A link moves as a link: what it points at stays where it is.
    tree.write("target", "kept");
    tree.symlink("Corvane.conf", tree.path("target"));
    EXPECT_EQ(Files::Kept::find(tree.path("Corvane.conf"), 1024).setAside("unreadable", now), stamped + "-3");
    EXPECT_TRUE(fs::is_symlink(stamped + "-3"));
    EXPECT_EQ(tree.read("target"), "kept");

    EXPECT_THROW(Files::Kept::find(tree.path("Corvane.conf"), 1024).setAside("unreadable", now), std::system_error);
}

// Only the new files of writes whose process has ended, named as the writes name them,
// and only regular files of the person's; everything else beside the settings stays.
TEST(FilesKept, LeftoversOfUnfinishedWritesAreRemoved)
{
    test::FakeTree tree;
    const std::string ended = "4194304";  // no process has this id: pid_max is at most 2^22
    const std::string running = std::to_string(::getpid());
    tree.write("dotfiles/Corvane.conf", "a=1\n");
    tree.symlink("config/Corvane.conf", tree.path("dotfiles/Corvane.conf"));
    const std::pair<std::string, bool> entries[]{
        {"dotfiles/.Corvane.conf." + ended + "-0-123456", false},
        {"dotfiles/.Corvane.conf." + ended + "-17-1", false},
        {"dotfiles/.Corvane.conf." + running + "-0-123456", true},  // a write still under way
        {"dotfiles/.Corvane.conf." + ended + "-x-1", true},
        {"dotfiles/.Corvane.conf." + ended + "-0", true},
        {"dotfiles/.other.conf." + ended + "-0-1", true},
        {"dotfiles/Corvane.conf.lock", true},
        {"dotfiles/Corvane.conf.unreadable-20260307T090503Z", true},
        {"config/.Corvane.conf." + ended + "-0-1", true},  // beside the link, not the file
    };
    for (const auto& [name, stays] : entries)
        tree.write(name, "left");
    tree.mkdir("dotfiles/.Corvane.conf." + ended + "-1-1");  // a folder is nobody's leftover

    Files::Kept::find(tree.path("config/Corvane.conf"), 1024).removeLeftovers();
    for (const auto& [name, stays] : entries)
        EXPECT_EQ(fs::exists(tree.path(name)), stays) << name;
    EXPECT_TRUE(fs::is_directory(tree.path("dotfiles/.Corvane.conf." + ended + "-1-1")));
    EXPECT_EQ(tree.read("dotfiles/Corvane.conf"), "a=1\n");
}
