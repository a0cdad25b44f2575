#include "CorvaneApp/AppSettings.hpp"

#include "Core/Files.hpp"
#include "Tests/App/Support/LogCapture.hpp"
#include "Tests/App/Support/SignalCounter.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

using namespace corvane;
using namespace corvane::test;

TEST(AppSettings, DefaultsWrongTypesAndPersistence)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("settings.ini"));
    {
        AppSettings settings(file);
        EXPECT_TRUE(settings.showMenuBar());
        EXPECT_FALSE(settings.onboarded());
        EXPECT_TRUE(settings.keepUsageHistory());
        EXPECT_FALSE(settings.lastSpeedTest().has_value());
        EXPECT_FALSE(settings.automationPrimer("com.google.Chrome"));

        settings.setShowMenuBar(false);
        settings.setOnboarded(true);
        settings.setLastSpeedTest(std::string(R"({"downloadMbps":100})"));
        settings.setAutomationPrimer("com.google.Chrome", true);
    }
    {
        QSettings raw(file, QSettings::IniFormat);
        raw.setValue(QStringLiteral("keepUsageHistory"), 7);
        raw.setValue(QStringLiteral("primer.automation.com.brave.Browser"), QStringLiteral("yes"));
    }
    AppSettings settings(file);
    EXPECT_FALSE(settings.showMenuBar());
    EXPECT_TRUE(settings.onboarded());
    EXPECT_TRUE(settings.keepUsageHistory());  // "7" is no Boolean
    EXPECT_EQ(settings.lastSpeedTest(), R"({"downloadMbps":100})");
    EXPECT_TRUE(settings.automationPrimer("com.google.Chrome"));
    EXPECT_FALSE(settings.automationPrimer("com.brave.Browser"));
    EXPECT_FALSE(settings.automationPrimer("com.microsoft.edgemac"));
}

// A file left by an earlier run holds its values as text. (Within one process QSettings
// hands back the typed values it cached, so the file is written before any opens it.)
TEST(AppSettings, ValuesWrittenByAnEarlierRunReadBack)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("settings.ini"));
    std::ofstream(file.toStdString()) << "[General]\n"
                                         "keepUsageHistory=false\n"
                                         "lastSpeedTest=\"{\\\"downloadMbps\\\":100}\"\n"
                                         "onboarded=true\n"
                                         "primer.automation.com.google.Chrome=true\n"
                                         "showMenuBar=false\n";
    AppSettings settings(file);
    EXPECT_FALSE(settings.keepUsageHistory());
    EXPECT_FALSE(settings.showMenuBar());
    EXPECT_TRUE(settings.onboarded());
    EXPECT_EQ(settings.lastSpeedTest(), R"({"downloadMbps":100})");
    EXPECT_TRUE(settings.automationPrimer("com.google.Chrome"));
    EXPECT_FALSE(settings.automationPrimer("com.brave.Browser"));
}

TEST(AppSettings, EachKeySignalsOnlyItsOwnChanges)
{
    QTemporaryDir folder;
    AppSettings settings(folder.filePath(QStringLiteral("settings.ini")));
    SignalCounter menuBar(&settings, &AppSettings::showMenuBarChanged);
    SignalCounter onboarded(&settings, &AppSettings::onboardedChanged);
    SignalCounter history(&settings, &AppSettings::keepUsageHistoryChanged);
    SignalCounter speed(&settings, &AppSettings::lastSpeedTestChanged);
    QString primed;
    QObject::connect(&settings, &AppSettings::automationPrimerChanged, &settings,
                     [&](const QString& bundleID) { primed = bundleID; });

    settings.setShowMenuBar(true);  // the default: no change
    settings.setKeepUsageHistory(false);
    settings.setKeepUsageHistory(false);
    settings.setLastSpeedTest(std::nullopt);
    settings.setLastSpeedTest(std::string("{}"));
    settings.setLastSpeedTest(std::nullopt);
    settings.setAutomationPrimer("com.brave.Browser", true);
    EXPECT_EQ(menuBar.count(), 0);
    EXPECT_EQ(onboarded.count(), 0);
    EXPECT_EQ(history.count(), 1);
    EXPECT_EQ(speed.count(), 2);
    EXPECT_EQ(primed, QStringLiteral("com.brave.Browser"));
    EXPECT_FALSE(settings.lastSpeedTest().has_value());
}

namespace {

namespace fs = std::filesystem;

// 64 KiB that QSettings cannot read, the same every run.
std::string garbage()
{
    std::string bytes(64 * 1024, '\0');
    uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1664525 + 1013904223;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

} // namespace

// Whatever stands at the settings file's place and is no readable settings file: the app
// starts from the defaults, keeps what stood there under a new name and says where, and
// writes its next change to a plain file of its own. Nothing is opened that could hold it
// up, nothing large is read, nothing is written through to where a link points.
TEST(AppSettingsFile, WhatCannotBeReadAsSettingsIsSetAsideAndTheDefaultsHold)
{
    const struct {
        const char* name;
        std::function<void(const test::FakeTree&, const fs::path& file)> plant;
        std::function<void(const test::FakeTree&, const fs::path& aside)> kept;
    } cases[]{
        {"a pipe", [](auto&, const fs::path& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); },
         [](auto&, const fs::path& aside) { EXPECT_TRUE(fs::is_fifo(aside)); }},
        {"a sparse gibibyte",
         [](auto&, const fs::path& file) {
             const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT, 0600);
             ASSERT_GE(fd, 0);
             ASSERT_EQ(::ftruncate(fd, off_t{1} << 30), 0);
             ::close(fd);
         },
         [](auto&, const fs::path& aside) { EXPECT_EQ(fs::file_size(aside), std::uintmax_t{1} << 30); }},
        {"unreadable bytes", [](auto&, const fs::path& file) { std::ofstream(file, std::ios::binary) << garbage(); },
         [](const test::FakeTree& tree, const fs::path& aside) {
             EXPECT_EQ(tree.read(aside.filename().string()), garbage());
         }},
        {"a link to a file elsewhere",
         [](const test::FakeTree& tree, const fs::path& file) {
             tree.write("elsewhere/settings.ini", "[General]\nonboarded=true\n");
             fs::create_symlink(tree.path("elsewhere/settings.ini"), file);
         },
         [](const test::FakeTree& tree, const fs::path& aside) {
             EXPECT_TRUE(fs::is_symlink(aside));
             EXPECT_EQ(tree.read("elsewhere/settings.ini"), "[General]\nonboarded=true\n");
         }},
        {"a link to /dev/null",
         [](auto&, const fs::path& file) {
             fs::create_symlink("/dev/null", file);
             // Never let a fault below write through to the device, as root would.
             ASSERT_EQ(Files::inspect(file), Files::Place::other);
         },
         [](auto&, const fs::path& aside) {
             EXPECT_EQ(fs::read_symlink(aside), "/dev/null");
             EXPECT_TRUE(fs::is_character_file("/dev/null"));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakeTree tree;
        const fs::path file = tree.path("Corvane.conf");
        c.plant(tree, file);
        if (::testing::Test::HasFatalFailure())
            return;
        test::LogCapture log("settings");
        {
            AppSettings settings(QString::fromStdString(file.string()));
            EXPECT_FALSE(settings.onboarded());
            EXPECT_TRUE(settings.showMenuBar());
            const auto aside = tree.entries("Corvane.conf.unreadable-");
            ASSERT_EQ(aside.size(), 1u);
            ASSERT_EQ(log.lines().size(), 1u);
            EXPECT_TRUE(log.lines()[0].endsWith("set aside as " + QByteArray::fromStdString(aside[0].string())))
                << log.lines()[0].toStdString();
            c.kept(tree, aside[0]);

            settings.setOnboarded(true);
            settings.setShowMenuBar(false);
            EXPECT_EQ(tree.entries("Corvane.conf.unreadable-"), aside);
            c.kept(tree, aside[0]);
        }
        EXPECT_EQ(fs::symlink_status(file).type(), fs::file_type::regular);
        EXPECT_EQ(log.lines().size(), 1u);
        AppSettings again(QString::fromStdString(file.string()));
        EXPECT_TRUE(again.onboarded());
        EXPECT_FALSE(again.showMenuBar());
    }
}

TEST(AppSettingsFile, ALinkBesideItIsReadAndWrittenThrough)
{
    test::FakeTree tree;
    tree.write("real.conf", "[General]\nonboarded=true\n");
    tree.symlink("Corvane.conf", "real.conf");
    test::LogCapture log("settings");
    {
        AppSettings settings(QString::fromStdString(tree.path("Corvane.conf")));
        EXPECT_TRUE(settings.onboarded());
        settings.setShowMenuBar(false);
    }
    EXPECT_TRUE(fs::is_symlink(tree.path("Corvane.conf")));
    EXPECT_FALSE(AppSettings(QString::fromStdString(tree.path("real.conf"))).showMenuBar());
    EXPECT_TRUE(log.lines().isEmpty());
}

// QSettings reads a lock file it finds beside the settings before it writes.
TEST(AppSettingsFile, APipeForItsLockFileHoldsNoWriteUp)
{
    test::FakeTree tree;
    tree.write("Corvane.conf", "[General]\nonboarded=true\n");
    ASSERT_EQ(::mkfifo(tree.path("Corvane.conf.lock").c_str(), 0600), 0);
    test::LogCapture log("settings");
    {
        AppSettings settings(QString::fromStdString(tree.path("Corvane.conf")));
        EXPECT_TRUE(settings.onboarded());
        settings.setShowMenuBar(false);
    }
    EXPECT_FALSE(AppSettings(QString::fromStdString(tree.path("Corvane.conf"))).showMenuBar());
    EXPECT_EQ(tree.entries("Corvane.conf.lock.unreadable-").size(), 1u);
    EXPECT_EQ(log.lines().size(), 1u);
}

// A folder in its place is never moved: the app runs on the defaults and writes nothing.
TEST(AppSettingsFile, AFolderInItsPlaceIsLeftAlone)
{
    test::FakeTree tree;
    tree.write("Corvane.conf/inside", "kept");
    test::LogCapture log("settings");
    AppSettings settings(QString::fromStdString(tree.path("Corvane.conf")));
    EXPECT_FALSE(settings.onboarded());
    settings.setOnboarded(true);
    EXPECT_TRUE(settings.onboarded());  // for this run
    EXPECT_EQ(tree.read("Corvane.conf/inside"), "kept");
    EXPECT_EQ(tree.entries("Corvane.conf.").size(), 0u);
    EXPECT_EQ(log.lines().size(), 2u);  // once read, once written
}
