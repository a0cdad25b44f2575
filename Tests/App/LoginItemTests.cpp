#include "CorvaneApp/Platform/LoginItem.hpp"

#include "Core/Files.hpp"
#include "Platform/DesktopEntry.hpp"
#include "Tests/App/Support/LogCapture.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

using namespace corvane;

namespace {

void write(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

TEST(LoginItem, EnabledMeansPresentNotHiddenNotSwitchedOff)
{
    QTemporaryDir config;
    const QString folder = config.path() + "/autostart";
    LoginItem item(folder, "/opt/corvane/bin/corvane");
    EXPECT_FALSE(item.isEnabled());
    EXPECT_TRUE(item.unregisterApp());  // nothing to remove is success

    ASSERT_TRUE(item.registerApp());
    EXPECT_TRUE(item.isEnabled());
    const auto keys = DesktopEntry::read(item.entryPath().toStdString());
    EXPECT_EQ(DesktopEntry::value(keys, "Exec"), "/opt/corvane/bin/corvane");
    EXPECT_EQ(DesktopEntry::value(keys, "Type"), "Application");

    write(item.entryPath(), "[Desktop Entry]\nType=Application\nExec=corvane\nHidden=true\n");
    EXPECT_FALSE(item.isEnabled());
    write(item.entryPath(), "[Desktop Entry]\nExec=corvane\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(item.isEnabled());
    // The keys count only in the main group.
    write(item.entryPath(), "[Desktop Entry]\nExec=corvane\n[Desktop Action x]\nHidden=true\n");
    EXPECT_TRUE(item.isEnabled());

    // Registering replaces a switched-off entry; unregistering removes it.
    write(item.entryPath(), "[Desktop Entry]\nExec=corvane\nHidden=true\n");
    ASSERT_TRUE(item.registerApp());
    EXPECT_TRUE(item.isEnabled());
    EXPECT_TRUE(item.unregisterApp());
    EXPECT_FALSE(QFile::exists(item.entryPath()));
    EXPECT_FALSE(item.isEnabled());
}

TEST(LoginItem, FailuresReportFalseAndKeepWhatWasThere)
{
    QTemporaryDir config;
    // A file where the autostart folder should be: nothing can be written.
    write(config.path() + "/autostart", "not a folder");
    LoginItem blocked(config.path() + "/autostart", "/usr/bin/corvane");
    EXPECT_FALSE(blocked.registerApp());
    EXPECT_FALSE(blocked.isEnabled());

    // A folder in place of the entry cannot be removed as an entry.
    const QString folder = config.path() + "/other";
    LoginItem item(folder, "/usr/bin/corvane");
    ASSERT_TRUE(QDir().mkpath(item.entryPath() + "/inside"));
    EXPECT_FALSE(item.unregisterApp());
    EXPECT_FALSE(item.registerApp());
    EXPECT_TRUE(QFileInfo(item.entryPath()).isDir());
}

TEST(LoginItem, ExecLineQuotesAndEscapesThePath)
{
    const auto exec = [](const QString& path) {
        return QString::fromStdString(
            DesktopEntry::value(DesktopEntry::parse(LoginItem::entryText(path).toStdString()), "Exec"));
    };
    EXPECT_EQ(exec("/usr/bin/corvane"), "/usr/bin/corvane");
    EXPECT_EQ(exec("/home/a b/corvane"), "\"/home/a b/corvane\"");
    // Inside quotes $ and " are escaped; after parsing the entry's own escapes one backslash stays.
    EXPECT_EQ(exec("/x/$HOME\"/c"), "\"/x/\\$HOME\\\"/c\"");
    EXPECT_EQ(exec("/x/100%/c"), "/x/100%%/c");
    EXPECT_TRUE(LoginItem::entryText("/a\\b").contains("Exec=\"/a\\\\\\\\b\"\n"));
    // The session reads the program itself back.
    for (const QString path : {"/home/a b/corvane", "/x/$HOME\"/c", "/x/100%/c", "/a\\b"}) {
        const auto arguments = DesktopEntry::execArguments(exec(path).toStdString());
        EXPECT_EQ(arguments, std::vector<std::string>{path.toStdString()});
    }
}

TEST(LoginItem, MainAppFollowsTheSessionConfigFolder)
{
    QTemporaryDir config;
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const auto item = LoginItem::mainApp();
    EXPECT_EQ(item->entryPath(), config.path() + "/autostart/corvane.desktop");
    ASSERT_TRUE(item->registerApp());
    EXPECT_TRUE(item->isEnabled());
    qputenv("XDG_CONFIG_HOME", previous);
}

// Writing the entry never goes through to what a link points at: whatever stands in its
// place and is no entry is kept under a new name, and the log says where. (What else
// counts as no entry is the settings file's rule, tested there.)
TEST(LoginItem, WhatIsNoEntryIsSetAsideBeforeTheEntryIsWritten)
{
    namespace fs = std::filesystem;
    const struct {
        const char* name;
        std::function<void(const test::FakeTree&, const fs::path& entry)> plant;
    } cases[]{
        {"bytes that are no entry",
         [](auto&, const fs::path& entry) { std::ofstream{entry} << std::string(4096, '\xff'); }},
        {"a link to /dev/null",
         [](auto&, const fs::path& entry) {
             fs::create_symlink("/dev/null", entry);
             // never written through, as root would
             ASSERT_EQ(Files::readKept(entry, DesktopEntry::maxBytes).place, Files::Place::notRegular);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakeTree tree;
        tree.mkdir("autostart");
        LoginItem item(QString::fromStdString(tree.path("autostart")), "/usr/bin/corvane");
        const fs::path entry = item.entryPath().toStdString();
        c.plant(tree, entry);
        if (::testing::Test::HasFatalFailure())
            return;
        const auto before = fs::symlink_status(entry).type();

        test::LogCapture log("settings");
        ASSERT_TRUE(item.registerApp());
        EXPECT_TRUE(item.isEnabled());
        EXPECT_EQ(fs::symlink_status(entry).type(), fs::file_type::regular);
        const auto aside = tree.entries("corvane.desktop.unreadable-", "autostart");
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(fs::symlink_status(aside[0]).type(), before);
        ASSERT_EQ(log.lines().size(), 1u);
        EXPECT_TRUE(log.lines()[0].endsWith("set aside as " + QByteArray::fromStdString(aside[0].string())));
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

// Someone who keeps their autostart entry in a repository of their own links it into
// place: it is read where it lies and written over there, and the link stays a link.
TEST(LoginItem, AnEntryOfThePersonsOwnAtTheEndOfALinkIsWrittenWhereItLies)
{
    namespace fs = std::filesystem;
    test::FakeTree tree;
    const auto real = tree.write("dotfiles/corvane.desktop", "[Desktop Entry]\nExec=corvane\nHidden=true\n");
    tree.symlink("autostart/corvane.desktop", real);
    LoginItem item(QString::fromStdString(tree.path("autostart")), "/usr/bin/corvane");
    EXPECT_FALSE(item.isEnabled());
    test::LogCapture log("settings");
    ASSERT_TRUE(item.registerApp());
    EXPECT_TRUE(item.isEnabled());
    EXPECT_TRUE(fs::is_symlink(item.entryPath().toStdString()));
    EXPECT_EQ(DesktopEntry::value(DesktopEntry::read(real), "Exec"), "/usr/bin/corvane");
    EXPECT_TRUE(log.lines().isEmpty());
}

// "Start at login" off and on again with the entry kept in the person's own files: the
// link stays a link, and the switch is written through it, so their copy stays current.
// Off hides the entry and keeps every other line of it; on writes it afresh. Once others
// may change the way to it, off writes nothing there and sets the link aside.
TEST(LoginItem, OffAndOnThroughALinkKeepTheLink)
{
    namespace fs = std::filesystem;
    test::FakeTree tree;
    const auto real = tree.write("dotfiles/corvane.desktop", "");
    const auto entry = tree.symlink("autostart/corvane.desktop", real);
    LoginItem item(QString::fromStdString(tree.path("autostart")), "/usr/bin/corvane");
    const std::string own = LoginItem::entryText("/usr/bin/corvane").toStdString();
    test::LogCapture log("settings");
    const struct {
        const char* name;
        std::string before;  // the entry through the link as switched on
        std::string after;   // as switched off
    } cases[]{
        {"the app's own entry", own, "[Desktop Entry]\nHidden=true\n" + own.substr(16)},
        {"an entry hidden once before",
         "[Desktop Entry]\nExec=corvane\nHidden=false\n[Desktop Action x]\nHidden=false\n",
         "[Desktop Entry]\nExec=corvane\nHidden=true\n[Desktop Action x]\nHidden=false\n"},
        {"an empty file", "", "[Desktop Entry]\nHidden=true\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tree.write("dotfiles/corvane.desktop", c.before);
        ASSERT_TRUE(item.unregisterApp());
        EXPECT_FALSE(item.isEnabled());
        EXPECT_EQ(fs::read_symlink(entry), real);
        EXPECT_EQ(tree.read("dotfiles/corvane.desktop"), c.after);

        ASSERT_TRUE(item.registerApp());
        EXPECT_TRUE(item.isEnabled());
        EXPECT_EQ(fs::read_symlink(entry), real);
        EXPECT_EQ(tree.read("dotfiles/corvane.desktop"), own);
    }
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_EQ(tree.entries("", "autostart").size(), 1u);
    EXPECT_EQ(tree.entries("", "dotfiles").size(), 1u);

    fs::permissions(tree.path("dotfiles"), fs::perms::all);
    ASSERT_TRUE(item.unregisterApp());
    EXPECT_FALSE(fs::exists(fs::symlink_status(entry)));
    EXPECT_EQ(tree.entries("corvane.desktop.unreadable-", "autostart").size(), 1u);
    EXPECT_EQ(tree.read("dotfiles/corvane.desktop"), own);
}
