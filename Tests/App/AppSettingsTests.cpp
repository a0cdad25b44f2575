#include "CorvaneApp/AppSettings.hpp"

#include "CorvaneApp/PendingWrites.hpp"
#include "Tests/App/Support/LogCapture.hpp"
#include "Tests/App/Support/SignalCounter.hpp"
#include "Tests/App/Support/StepExecutor.hpp"
#include "Tests/Support/FakeTree.hpp"
#include "Tests/Support/ReadOnlyFolder.hpp"

#include <QSettings>
#include <QSize>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

namespace fs = std::filesystem;

QString qpath(const std::string& path)
{
    return QString::fromStdString(path);
}

// No write is held: every one handed to a worker has finished or been dropped.
bool nothingHeld()
{
    return PendingWrites::waitUntil(std::chrono::steady_clock::now());
}

} // namespace

TEST(AppSettings, DefaultsWrongTypesAndPersistence)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("settings.ini"));
    StepExecutor executor;
    {
        AppSettings settings(file, executor);
        EXPECT_TRUE(settings.showMenuBar());
        EXPECT_FALSE(settings.onboarded());
        EXPECT_TRUE(settings.keepUsageHistory());
        EXPECT_FALSE(settings.lastSpeedTest().has_value());
        EXPECT_FALSE(settings.automationPrimer("com.google.Chrome"));

        settings.setShowMenuBar(false);
        settings.setOnboarded(true);
        settings.setLastSpeedTest(std::string(R"({"downloadMbps":100})"));
        settings.setAutomationPrimer("com.google.Chrome", true);
        executor.runAll();
    }
    {
        QSettings raw(file, QSettings::IniFormat);
        raw.setValue(QStringLiteral("keepUsageHistory"), 7);
        raw.setValue(QStringLiteral("primer.automation.com.brave.Browser"), QStringLiteral("yes"));
    }
    AppSettings settings(file, executor);
    EXPECT_FALSE(settings.showMenuBar());
    EXPECT_TRUE(settings.onboarded());
    EXPECT_TRUE(settings.keepUsageHistory());  // "7" is no Boolean
    EXPECT_EQ(settings.lastSpeedTest(), R"({"downloadMbps":100})");
    EXPECT_TRUE(settings.automationPrimer("com.google.Chrome"));
    EXPECT_FALSE(settings.automationPrimer("com.brave.Browser"));
    EXPECT_FALSE(settings.automationPrimer("com.microsoft.edgemac"));
}

// A file an earlier version wrote through QSettings reads back the same, and a change
// keeps every key of it, known or not, as QSettings reads it. (Within one process
// QSettings hands back the typed values it cached, so each file is written before any
// QSettings opens it, and read by a fresh name.)
TEST(AppSettings, AFileQSettingsWroteReadsBackAndKeepsWhatTheAppDoesNotKnow)
{
    FakeTree tree;
    tree.write("Corvane.conf", "[General]\n"
                               "keepUsageHistory=false\n"
                               "lastSpeedTest=\"{\\\"downloadMbps\\\":100}\"\n"
                               "onboarded=true\n"
                               "primer.automation.com.google.Chrome=true\n"
                               "showMenuBar=false\n"
                               "someone.else=\"a, b\"\n"
                               "list=a, b\n"
                               "size=@Size(3 4)\n"
                               "word=caf\\xe9\n"
                               "\n"
                               "[Window]\n"
                               "state=kept\n");
    StepExecutor executor;
    {
        AppSettings settings(qpath(tree.path("Corvane.conf")), executor);
        EXPECT_FALSE(settings.keepUsageHistory());
        EXPECT_FALSE(settings.showMenuBar());
        EXPECT_TRUE(settings.onboarded());
        EXPECT_EQ(settings.lastSpeedTest(), R"({"downloadMbps":100})");
        EXPECT_TRUE(settings.automationPrimer("com.google.Chrome"));
        EXPECT_FALSE(settings.automationPrimer("com.brave.Browser"));
        settings.setShowMenuBar(true);
        settings.setLastSpeedTest(std::nullopt);
        executor.runAll();
    }
    fs::copy_file(tree.path("Corvane.conf"), tree.path("after.conf"));
    QSettings raw(qpath(tree.path("after.conf")), QSettings::IniFormat);
    EXPECT_EQ(raw.status(), QSettings::NoError);
    EXPECT_EQ(raw.value("showMenuBar").toString(), "true");
    EXPECT_FALSE(raw.contains("lastSpeedTest"));
    EXPECT_EQ(raw.value("onboarded").toString(), "true");
    EXPECT_EQ(raw.value("primer.automation.com.google.Chrome").toString(), "true");
    EXPECT_EQ(raw.value("someone.else").toString(), "a, b");
    EXPECT_EQ(raw.value("list").toStringList(), QStringList({"a", "b"}));
    EXPECT_EQ(raw.value("size").toSize(), QSize(3, 4));
    EXPECT_EQ(raw.value("word").toString(), QString::fromUtf8("caf\u00e9"));
    EXPECT_EQ(raw.value("Window/state").toString(), "kept");
}

TEST(AppSettings, EachKeySignalsOnlyItsOwnChanges)
{
    QTemporaryDir folder;
    StepExecutor executor;
    AppSettings settings(folder.filePath(QStringLiteral("settings.ini")), executor);
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

// Changes are written by a worker, never on the caller's thread: those made before it
// runs go in one write, and it holds the app's end until the file is written. A worker
// that runs after the settings are gone still writes, and touches nothing of theirs.
TEST(AppSettingsWrites, RunOnAWorkerTogetherAndHoldTheEnd)
{
    FakeTree tree;
    const QString file = qpath(tree.path("config/Corvane.conf"));
    StepExecutor executor;
    auto settings = std::make_unique<AppSettings>(file, executor);
    settings->setOnboarded(true);
    settings->setShowMenuBar(false);
    settings->setKeepUsageHistory(false);
    EXPECT_EQ(executor.pending(Executor::Lane::detached), 1u);
    EXPECT_EQ(executor.pending(), 1u);
    EXPECT_FALSE(fs::exists(file.toStdString()));
    EXPECT_FALSE(nothingHeld());
    executor.runAll();
    EXPECT_TRUE(nothingHeld());
    EXPECT_EQ(tree.read("config/Corvane.conf"), "[General]\nkeepUsageHistory=false\nonboarded=true\nshowMenuBar=false\n");

    settings->writePending();  // nothing unwritten: no work
    EXPECT_EQ(executor.pending(), 0u);
    settings->setShowMenuBar(true);
    settings.reset();
    ASSERT_EQ(executor.pending(), 1u);
    executor.runAll();
    EXPECT_TRUE(nothingHeld());
    EXPECT_TRUE(AppSettings(file, executor).showMenuBar());

    // Work dropped unrun holds nothing either.
    {
        StepExecutor dropped;
        AppSettings(file, dropped).setOnboarded(false);
        EXPECT_FALSE(nothingHeld());
    }
    EXPECT_TRUE(nothingHeld());
}

// A change that cannot be written (a read-only store) holds for the session; the log
// says so once, and the next change, or the quit, writes it with everything else.
TEST(AppSettingsWrites, AChangeThatCannotBeWrittenHoldsAndIsWrittenLater)
{
    FakeTree tree;
    tree.write("store/Corvane.conf", "[General]\nonboarded=true\n");
    tree.symlink("config/Corvane.conf", tree.path("store/Corvane.conf"));
    StepExecutor executor;
    LogCapture log("settings");
    AppSettings settings(qpath(tree.path("config/Corvane.conf")), executor);
    {
        const ReadOnlyFolder store(tree.path("store"));
        settings.setShowMenuBar(false);
        executor.runAll();
        ASSERT_EQ(log.lines().size(), 1u);
        EXPECT_TRUE(log.lines()[0].contains("cannot be written")) << log.lines()[0].toStdString();
        settings.setKeepUsageHistory(false);
        settings.writePending();
        executor.runAll();
        settings.writePending();
        executor.runAll();
        EXPECT_EQ(log.lines().size(), 1u);
        EXPECT_FALSE(settings.showMenuBar());
        EXPECT_FALSE(settings.keepUsageHistory());
    }
    EXPECT_EQ(tree.read("store/Corvane.conf"), "[General]\nonboarded=true\n");
    EXPECT_TRUE(nothingHeld());

    settings.writePending();  // as the quit does
    executor.runAll();
    EXPECT_TRUE(fs::is_symlink(tree.path("config/Corvane.conf")));
    EXPECT_EQ(tree.read("store/Corvane.conf"), "[General]\nkeepUsageHistory=false\nonboarded=true\nshowMenuBar=false\n");
    EXPECT_EQ(log.lines().size(), 1u);
}

namespace {

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

// Settings QSettings would read, one byte over what the app reads.
std::string justTooLarge()
{
    std::string text = "[General]\nonboarded=true\n";
    text.resize(AppSettings::maxFileBytes + 1, '#');
    return text;
}

} // namespace

// Whatever stands at the settings file's place and is no settings file of the person's:
// the app starts from the defaults, keeps what stood there under a new name and says
// where, and writes its next change to a plain file of its own. Nothing is opened that
// could hold it up, nothing large is read, nothing is written through to where a link
// points.
TEST(AppSettingsFile, WhatCannotBeReadAsSettingsIsSetAsideAndTheDefaultsHold)
{
    const struct {
        const char* name;
        std::function<void(const FakeTree&, const fs::path& file)> plant;
        std::function<void(const FakeTree&, const fs::path& aside)> kept;
        const char* problem;  // what the log says is wrong
    } cases[]{
        {"a pipe", [](auto&, const fs::path& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); },
         [](auto&, const fs::path& aside) { EXPECT_TRUE(fs::is_fifo(aside)); }, " is not a regular file (%/Corvane.conf is a pipe)"},
        {"a sparse gibibyte",
         [](auto&, const fs::path& file) {
             const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT, 0600);
             ASSERT_GE(fd, 0);
             ASSERT_EQ(::ftruncate(fd, off_t{1} << 30), 0);
             ::close(fd);
         },
         [](auto&, const fs::path& aside) { EXPECT_EQ(fs::file_size(aside), std::uintmax_t{1} << 30); },
         " is too large (1073741824 bytes, over the bound of 65536)"},
        {"settings one byte over the bound",
         [](auto&, const fs::path& file) { std::ofstream(file, std::ios::binary) << justTooLarge(); },
         [](const FakeTree& tree, const fs::path& aside) {
             EXPECT_EQ(tree.read(aside.filename().string()), justTooLarge());
         },
         " is too large (65537 bytes, over the bound of 65536)"},
        {"unreadable bytes", [](auto&, const fs::path& file) { std::ofstream(file, std::ios::binary) << garbage(); },
         [](const FakeTree& tree, const fs::path& aside) {
             EXPECT_EQ(tree.read(aside.filename().string()), garbage());
         },
         " cannot be read as settings"},
        {"a link to someone else's settings",
         [](const FakeTree& tree, const fs::path& file) {
             const auto theirs = tree.write("elsewhere/settings.ini", "[General]\nonboarded=true\n");
             // Handed to nobody where the test may; else the system's own file stands in.
             fs::create_symlink(::chown(theirs.c_str(), 65534, 65534) == 0 ? theirs : "/etc/hostname", file);
         },
         [](const FakeTree& tree, const fs::path& aside) {
             EXPECT_TRUE(fs::is_symlink(aside));
             EXPECT_EQ(tree.read("elsewhere/settings.ini"), "[General]\nonboarded=true\n");
         },
         " is not yours ("},
        {"a link to nothing",
         [](const FakeTree& tree, const fs::path& file) { fs::create_symlink(tree.path("elsewhere/missing"), file); },
         [](const FakeTree& tree, const fs::path& aside) {
             EXPECT_TRUE(fs::is_symlink(aside));
             EXPECT_FALSE(fs::exists(tree.path("elsewhere/missing")));
         },
         " is not a regular file (a link leads to %/elsewhere, which is not there)"},
        {"a link to /dev/null", [](auto&, const fs::path& file) { fs::create_symlink("/dev/null", file); },
         [](auto&, const fs::path& aside) {
             EXPECT_EQ(fs::read_symlink(aside), "/dev/null");
             EXPECT_TRUE(fs::is_character_file("/dev/null"));
         },
         " is not a regular file (/dev/null is a device)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeTree tree;
        const fs::path file = tree.path("Corvane.conf");
        c.plant(tree, file);
        if (::testing::Test::HasFatalFailure())
            return;
        StepExecutor executor;
        LogCapture log("settings");
        {
            AppSettings settings(QString::fromStdString(file.string()), executor);
            EXPECT_FALSE(settings.onboarded());
            EXPECT_TRUE(settings.showMenuBar());
            const auto aside = tree.entries("Corvane.conf.unreadable-");
            ASSERT_EQ(aside.size(), 1u);
            ASSERT_EQ(log.lines().size(), 1u);
            EXPECT_TRUE(log.lines()[0].endsWith("set aside as " + QByteArray::fromStdString(aside[0].string())))
                << log.lines()[0].toStdString();
            QByteArray problem = "settings file " + QByteArray::fromStdString(file.string()) + c.problem;
            problem.replace("%", QByteArray::fromStdString(tree.path()));
            EXPECT_TRUE(log.lines()[0].startsWith(problem)) << log.lines()[0].toStdString();
            c.kept(tree, aside[0]);

            settings.setOnboarded(true);
            settings.setShowMenuBar(false);
            executor.runAll();
            EXPECT_EQ(tree.entries("Corvane.conf.unreadable-"), aside);
            c.kept(tree, aside[0]);
        }
        EXPECT_EQ(fs::symlink_status(file).type(), fs::file_type::regular);
        EXPECT_EQ(log.lines().size(), 1u);
        AppSettings again(QString::fromStdString(file.string()), executor);
        EXPECT_TRUE(again.onboarded());
        EXPECT_FALSE(again.showMenuBar());
    }
}

// A folder in its place is never moved: the app runs on the defaults, its changes hold
// for the session, and nothing is written.
TEST(AppSettingsFile, AFolderInItsPlaceIsLeftAlone)
{
    FakeTree tree;
    tree.write("Corvane.conf/inside", "kept");
    StepExecutor executor;
    LogCapture log("settings");
    AppSettings settings(QString::fromStdString(tree.path("Corvane.conf")), executor);
    EXPECT_FALSE(settings.onboarded());
    settings.setOnboarded(true);
    executor.runAll();
    EXPECT_TRUE(settings.onboarded());  // for this run
    EXPECT_EQ(tree.read("Corvane.conf/inside"), "kept");
    EXPECT_EQ(tree.entries("Corvane.conf.").size(), 0u);
    EXPECT_EQ(log.lines().size(), 2u);  // once read, once written
}

// A save writes the keys stored this session over what the file holds as it is written:
// a settings link restored after the start (a dotfiles tool relinking at login), a file
// changed since, one that holds no settings any more. Every other key stays, and the
// app's defaults are never written over the person's values. A link through a folder
// others may write to is set aside, even one that came after the start.
TEST(AppSettingsSaves, KeepWhatTheFileHoldsAtThatMoment)
{
    const struct {
        const char* name;
        const char* atStart;  // the file as the app starts; none: nothing there
        std::function<void(AppSettings&)> store;
        std::function<void(const FakeTree&)> meanwhile;
        const char* saved;
        bool linked = false;  // it stays a link
    } cases[]{
        {"a link restored after the start", nullptr, [](AppSettings& s) { s.setOnboarded(true); },
         [](const FakeTree& tree) {
             tree.write("dotfiles/corvane.conf", "[General]\nmine=keep\nkeepUsageHistory=false\n");
             tree.symlink("config/Corvane.conf", tree.path("dotfiles/corvane.conf"));
         },
         "[General]\nkeepUsageHistory=false\nmine=keep\nonboarded=true\n", true},
        {"a file changed since the start", "[General]\nshowMenuBar=false\n",
         [](AppSettings& s) { s.setOnboarded(true); },
         [](const FakeTree& tree) {
             tree.write("config/Corvane.conf", "[General]\nkeepUsageHistory=false\nshowMenuBar=false\n[Window]\nx=1\n");
         },
         "[General]\nkeepUsageHistory=false\nonboarded=true\nshowMenuBar=false\n\n[Window]\nx=1\n"},
        {"a key removed this session and back in the file", "[General]\nlastSpeedTest=old\n",
         [](AppSettings& s) { s.setLastSpeedTest(std::nullopt); },
         [](const FakeTree& tree) { tree.write("config/Corvane.conf", "[General]\nlastSpeedTest=old\nmine=1\n"); },
         "[General]\nmine=1\n"},
        {"a file that holds no settings any more", "[General]\nshowMenuBar=false\n",
         [](AppSettings& s) { s.setOnboarded(true); },
         [](const FakeTree& tree) { tree.write("config/Corvane.conf", "no settings\n"); }, "[General]\nonboarded=true\n"},
        {"a store of the value the file holds", "[General]\nshowMenuBar=false\n",
         [](AppSettings& s) { s.setShowMenuBar(true); },
         [](const FakeTree& tree) { tree.write("config/Corvane.conf", "[General]\nshowMenuBar=false\nz=1\n"); },
         "[General]\nshowMenuBar=true\nz=1\n"},
        // Another user swapped the file in a folder others may write to (a shared team
        // folder) for a link to another file of the person's, which reads as settings too.
        {"a link through a folder others may write to", nullptr, [](AppSettings& s) { s.setOnboarded(true); },
         [](const FakeTree& tree) {
             fs::permissions(tree.mkdir("shared"), fs::perms::all);
             tree.symlink("shared/corvane.conf", tree.write("home/.bashrc", "export PATH=~/bin:$PATH\n"));
             tree.symlink("config/Corvane.conf", tree.path("shared/corvane.conf"));
         },
         "[General]\nonboarded=true\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeTree tree;
        tree.mkdir("config");
        if (c.atStart)
            tree.write("config/Corvane.conf", c.atStart);
        StepExecutor executor;
        LogCapture log("settings");
        AppSettings settings(qpath(tree.path("config/Corvane.conf")), executor);
        c.store(settings);
        c.meanwhile(tree);
        executor.runAll();
        EXPECT_EQ(tree.read("config/Corvane.conf"), c.saved);
        EXPECT_EQ(fs::is_symlink(tree.path("config/Corvane.conf")), c.linked);
        // Only what holds no settings, or is not the person's, is set aside, and said to be.
        EXPECT_EQ(tree.entries("Corvane.conf.unreadable-", "config").size(), log.lines().size());
    }
}

// A file right at the bound is read; a save that would take it over the bound leaves out
// keys the app does not know, the last ones first, so the next start reads it all the
// same. The log says so once.
TEST(AppSettingsFile, AFileAtTheBoundStillReadsBackAfterASave)
{
    std::string text = "[General]\nkeepUsageHistory=false\n";
    for (int key = 0; text.size() < AppSettings::maxFileBytes; ++key)
        text += "key" + std::to_string(100000 + key) + "=value\n";
    text.resize(AppSettings::maxFileBytes - 1);
    text += "\n";
    FakeTree tree;
    tree.write("Corvane.conf", text);
    const QString file = qpath(tree.path("Corvane.conf"));
    StepExecutor executor;
    LogCapture log("settings");
    {
        AppSettings settings(file, executor);
        EXPECT_FALSE(settings.keepUsageHistory());
        settings.setOnboarded(true);
        executor.runAll();
        settings.setShowMenuBar(false);
        executor.runAll();
    }
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines()[0].contains(" would be over 65536 bytes; ")) << log.lines()[0].toStdString();

    AppSettings again(file, executor);
    EXPECT_TRUE(again.onboarded());
    EXPECT_FALSE(again.showMenuBar());
    EXPECT_FALSE(again.keepUsageHistory());
    EXPECT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(tree.entries("Corvane.conf.").empty());
}
