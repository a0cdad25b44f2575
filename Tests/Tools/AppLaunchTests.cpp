// The program people run, started for real: offscreen, in a private home and runtime
// folder. How a test knows that the app has finished a check without guessing a delay:
// the Monitor logs "check finished" in its "monitor" category at debug level each time a
// check ends; the tests switch that on with QT_LOGGING_RULES and read the app's error
// output as it comes. Deadlines only bound a failure.
#include "Tests/Tools/ProgramRun.hpp"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <sys/fanotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>

using corvane::test::ProgramRun;

namespace {

const QByteArray checkFinished = "debug monitor: check finished";
const QByteArray activationRequested = "debug corvane.instance: activation requested";

QString describe(const QList<QByteArray>& lines)
{
    return QString::fromUtf8(lines.join('\n'));
}

class AppLaunch : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        app.start();
        ASSERT_TRUE(app.waitForLine(checkFinished)) << app.errorOutput().toStdString();
    }

    const QString logRules = QStringLiteral("monitor.debug=true\ncorvane.instance.debug=true");
    QTemporaryDir home;
    ProgramRun app{home, QStringLiteral(CORVANE_APP), {}, logRules};
};

} // namespace

TEST_F(AppLaunch, KeepsCheckingWhileItRuns)
{
    // With its window shown the app checks every few seconds.
    EXPECT_TRUE(app.waitForLine(checkFinished, 2)) << app.errorOutput().toStdString();
    EXPECT_EQ(app.process().state(), QProcess::Running);
}

TEST_F(AppLaunch, SecondLaunchHandsOverToTheFirstAndExits)
{
    ProgramRun second{home, QStringLiteral(CORVANE_APP), {}, logRules};
    second.start();
    ASSERT_TRUE(second.waitForEnd()) << second.errorOutput().toStdString();
    EXPECT_EQ(second.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process().exitCode(), 0);
    EXPECT_FALSE(second.errorOutput().contains(checkFinished)) << "the second launch ran a monitor of its own";
    EXPECT_TRUE(second.problems().isEmpty()) << describe(second.problems()).toStdString();

    EXPECT_TRUE(app.waitForLine(activationRequested)) << app.errorOutput().toStdString();
    EXPECT_EQ(app.process().state(), QProcess::Running);
}

TEST_F(AppLaunch, EndsCleanlyOnSigterm)
{
    app.process().terminate();
    ASSERT_TRUE(app.waitForEnd()) << app.errorOutput().toStdString();
    EXPECT_EQ(app.process().exitStatus(), QProcess::NormalExit) << "ended by signal " << app.process().exitCode();
    EXPECT_EQ(app.process().exitCode(), 0);
    // Its whole life, start to end, printed no warning.
    EXPECT_TRUE(app.problems().isEmpty()) << describe(app.problems()).toStdString();
}

namespace {

// A private home for one run of the app, with its settings folder made; what a test
// plants there is what the app finds as it starts.
class SettingsHome {
public:
    SettingsHome() : folder(home.filePath(QStringLiteral(".config/Corvane"))) { folder.mkpath(QStringLiteral(".")); }

    QString path(const QString& name) const { return folder.filePath(name); }
    std::string file(const char* name) const { return QFile::encodeName(path(QString::fromUtf8(name))).toStdString(); }
    // A file of the person's own with `content`, in a folder of the home beside the
    // settings folder, linked into place as the settings file; returns where it lies.
    std::string linkToOwnFile(const QString& elsewhere, const std::string& content) const
    {
        const QDir dotfiles(home.filePath(elsewhere));
        dotfiles.mkpath(QStringLiteral("."));
        const std::string target = QFile::encodeName(dotfiles.filePath(QStringLiteral("Corvane.conf"))).toStdString();
        std::ofstream(target, std::ios::binary) << content;
        std::filesystem::create_symlink(target, file("Corvane.conf"));
        return target;
    }
    QStringList aside() const { return folder.entryList({QStringLiteral("Corvane.conf.unreadable-*")}, QDir::Files | QDir::System); }

    QTemporaryDir home;
    QDir folder;
};

std::string contentOf(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void plant(const std::string& file, const std::string& content)
{
    std::ofstream(file, std::ios::binary) << content;
}

// The app finishes a check, then ends on SIGTERM of its own accord.
bool checksThenQuits(ProgramRun& app)
{
    return app.waitForLine(checkFinished) && app.terminate();
}

// The app's messages that are warnings or worse.
QString problemsOf(ProgramRun& app)
{
    return describe(app.problems());
}

} // namespace

// A settings file that would hang the app as it starts, before its event loop runs: it
// starts on the defaults, says where it put the pipe, keeps checking, and ends on SIGTERM.
TEST(AppLaunchSettings, APipeForTheSettingsFileHoldsNothingUp)
{
    SettingsHome home;
    ASSERT_EQ(::mkfifo(home.file("Corvane.conf").c_str(), 0600), 0);

    ProgramRun app{home.home, QStringLiteral(CORVANE_APP), {}, QStringLiteral("monitor.debug=true")};
    app.start();
    ASSERT_TRUE(checksThenQuits(app)) << app.errorOutput().toStdString();

    const QStringList aside = home.aside();
    ASSERT_EQ(aside.size(), 1) << app.errorOutput().toStdString();
    const QByteArray asidePath = QFile::encodeName(home.path(aside[0]));
    EXPECT_TRUE(std::filesystem::is_fifo(asidePath.toStdString()));
    // Its one warning says where.
    const auto problems = app.problems();
    ASSERT_EQ(problems.size(), 1) << describe(problems).toStdString();
    EXPECT_TRUE(problems[0].startsWith("warning settings: settings file "));
    EXPECT_TRUE(problems[0].endsWith("set aside as " + asidePath)) << problems[0].toStdString();
}

// The settings file turns from a file into a pipe and back, as fast as it can, while the
// app starts: whichever it opens, nothing hangs, and its quit writes a plain file.
TEST(AppLaunchSettings, APipeSwappedInDuringTheStartHoldsNothingUp)
{
    for (int launch = 0; launch < 3; ++launch) {
        SCOPED_TRACE(launch);
        SettingsHome home;
        const std::string conf = home.file("Corvane.conf");
        const std::string pipe = home.file("swap.pipe");
        const std::string file = home.file("swap.file");
        std::atomic<bool> swapping{true};
        std::thread swapper([&] {
            while (swapping) {
                ::mkfifo(pipe.c_str(), 0600);
                ::rename(pipe.c_str(), conf.c_str());
                plant(file, "[General]\nshowMenuBar=false\n");
                ::rename(file.c_str(), conf.c_str());
            }
        });
        ProgramRun app{home.home, QStringLiteral(CORVANE_APP), {}, QStringLiteral("monitor.debug=true")};
        app.start();
        const bool checked = app.waitForLine(checkFinished);
        swapping = false;
        swapper.join();
        ASSERT_TRUE(checked) << app.errorOutput().toStdString();
        ASSERT_TRUE(app.terminate()) << app.errorOutput().toStdString();
        EXPECT_EQ(std::filesystem::symlink_status(conf).type(), std::filesystem::file_type::regular);
        EXPECT_NE(contentOf(conf).find("onboarded=true\n"), std::string::npos) << contentOf(conf);
        for (const auto& line : app.problems())
            EXPECT_TRUE(line.startsWith("warning settings: settings file ") && line.contains(" set aside as "))
                << line.toStdString();
    }
}

// Settings kept in a repository of the person's own and linked into place are theirs:
// read as they start, written where they lie with a change (the first run's onboarding,
// marked done as it quits), every value kept, and the link is still a link.
TEST(AppLaunchSettings, ALinkToThePersonsOwnFileKeepsItsValuesAndStaysALink)
{
    SettingsHome home;
    const auto target = home.linkToOwnFile(QStringLiteral("dotfiles/corvane"), "[General]\nmine=kept\nshowMenuBar=false\n");
    ProgramRun app{home.home, QStringLiteral(CORVANE_APP), {}, QStringLiteral("monitor.debug=true")};
    app.start();
    ASSERT_TRUE(checksThenQuits(app)) << app.errorOutput().toStdString();
    EXPECT_EQ(std::filesystem::read_symlink(home.file("Corvane.conf")), target);
    EXPECT_EQ(contentOf(target), "[General]\nmine=kept\nonboarded=true\nshowMenuBar=false\n");
    EXPECT_TRUE(home.aside().isEmpty());
    EXPECT_TRUE(app.problems().isEmpty()) << problemsOf(app).toStdString();
}

// The linked file lies in a read-only store: the app runs on its values, its change holds
// for the session, the log says so once, and the store and the link stay as they were.
TEST(AppLaunchSettings, ALinkIntoAReadOnlyFolderHoldsChangesForTheSession)
{
    SettingsHome home;
    const auto target = home.linkToOwnFile(QStringLiteral("store"), "[General]\nshowMenuBar=false\n");
    const auto store = std::filesystem::path(target).parent_path();
    std::filesystem::permissions(store, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    ProgramRun app{home.home, QStringLiteral(CORVANE_APP), {}, QStringLiteral("monitor.debug=true")};
    app.withoutFileOverride();
    app.start();
    const bool ended = checksThenQuits(app);
    std::filesystem::permissions(store, std::filesystem::perms::owner_all);
    ASSERT_TRUE(ended) << app.errorOutput().toStdString();
    EXPECT_EQ(contentOf(target), "[General]\nshowMenuBar=false\n");
    EXPECT_TRUE(std::filesystem::is_symlink(home.file("Corvane.conf")));
    EXPECT_TRUE(home.aside().isEmpty());
    const auto problems = app.problems();
    ASSERT_EQ(problems.size(), 1) << describe(problems).toStdString();
    EXPECT_TRUE(problems[0].startsWith("warning settings: settings file ")) << problems[0].toStdString();
    EXPECT_TRUE(problems[0].contains("cannot be written")) << problems[0].toStdString();
}

// The settings link is missing as the app starts (a dotfiles tool relinks at login) and
// back before it saves: the save (onboarding marked done as it quits) keeps every value
// of the person's file, and the link stays a link.
TEST(AppLaunchSettings, ALinkRestoredAfterTheStartKeepsThePersonsValues)
{
    SettingsHome home;
    ProgramRun app{home.home, QStringLiteral(CORVANE_APP), {}, QStringLiteral("monitor.debug=true")};
    app.start();
    ASSERT_TRUE(app.waitForLine(checkFinished)) << app.errorOutput().toStdString();
    const auto target = home.linkToOwnFile(QStringLiteral("dotfiles/corvane"), "[General]\nmine=keep\nkeepUsageHistory=false\n");
    ASSERT_TRUE(app.terminate()) << app.errorOutput().toStdString();
    EXPECT_EQ(std::filesystem::read_symlink(home.file("Corvane.conf")), target);
    EXPECT_EQ(contentOf(target), "[General]\nkeepUsageHistory=false\nmine=keep\nonboarded=true\n");
    EXPECT_TRUE(app.problems().isEmpty()) << problemsOf(app).toStdString();
}

// With no temporary folder to write to, the settings read and save all the same. What a
// write cut short by an earlier run left beside them is gone, and nothing else is left.
TEST(AppLaunchSettings, AnUnwritableTemporaryFolderChangesNothing)
{
    SettingsHome home;
    plant(home.file("Corvane.conf"), "[General]\nshowMenuBar=false\n");
    // Its writer's process id is one no process has: pid_max is at most 2^22.
    plant(home.file(".Corvane.conf.4194304-0-1"), "[Gen");
    ProgramRun app{home.home, QStringLiteral(CORVANE_APP), {}, QStringLiteral("monitor.debug=true")};
    auto environment = app.process().processEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), QStringLiteral("/dev/null"));  // no folder, even for root
    app.process().setProcessEnvironment(environment);
    app.start();
    ASSERT_TRUE(checksThenQuits(app)) << app.errorOutput().toStdString();
    EXPECT_EQ(contentOf(home.file("Corvane.conf")), "[General]\nonboarded=true\nshowMenuBar=false\n");
    EXPECT_EQ(home.folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Corvane.conf")});
    EXPECT_TRUE(app.problems().isEmpty()) << problemsOf(app).toStdString();
}

// A settings file of 1.4 million keys (22 MB) is no settings file of this app's: it is
// set aside unread, whole, and the app starts on the defaults.
TEST(AppLaunchSettings, ASettingsFileOfMillionsOfKeysIsSetAsideUnread)
{
    SettingsHome home;
    std::string text = "[General]\n";
    for (int key = 0; key < 1'400'000; ++key)
        text += "key" + std::to_string(key) + "=value\n";
    plant(home.file("Corvane.conf"), text);

    ProgramRun app{home.home, QStringLiteral(CORVANE_APP), {}, QStringLiteral("monitor.debug=true")};
    app.start();
    ASSERT_TRUE(checksThenQuits(app)) << app.errorOutput().toStdString();
    const QStringList aside = home.aside();
    ASSERT_EQ(aside.size(), 1) << app.errorOutput().toStdString();
    EXPECT_EQ(std::filesystem::file_size(QFile::encodeName(home.path(aside[0])).toStdString()), text.size());
    EXPECT_EQ(contentOf(home.file("Corvane.conf")), "[General]\nonboarded=true\n");
    EXPECT_EQ(app.problems().size(), 1) << problemsOf(app).toStdString();
}

// QSettings would read a lock file beside the settings and wait on it. The app takes
// none: one it did not take, of random bytes, naming a live process, a pipe or a link to
// the settings, holds no write up; the quit writes at once, and the lock stays as it was.
TEST(AppLaunchSettings, ALockFileTheAppDidNotTakeHoldsNoWriteUp)
{
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    std::string random(4096, '\0');
    std::mt19937 bytes(7);
    for (char& byte : random)
        byte = static_cast<char>(bytes());
    const std::pair<const char*, std::function<void(const std::string&)>> locks[]{
        {"random bytes", [&](const std::string& lock) { plant(lock, random); }},
        {"a live process's lock",
         [&](const std::string& lock) { plant(lock, std::to_string(::getpid()) + "\ncorvane\n" + host + "\n"); }},
        {"a pipe", [](const std::string& lock) { ::mkfifo(lock.c_str(), 0600); }},
        {"a link to the settings",
         [](const std::string& lock) { std::filesystem::create_symlink("Corvane.conf", lock); }},
    };
    for (const auto& [name, makeLock] : locks) {
        SCOPED_TRACE(name);
        SettingsHome home;
        plant(home.file("Corvane.conf"), "[General]\nshowMenuBar=false\n");
        const std::string lock = home.file("Corvane.conf.lock");
        makeLock(lock);
        const auto type = std::filesystem::symlink_status(lock).type();
        const std::string before = type == std::filesystem::file_type::regular ? contentOf(lock) : "";

        ProgramRun app{home.home, QStringLiteral(CORVANE_APP), {}, QStringLiteral("monitor.debug=true")};
        app.start();
        ASSERT_TRUE(checksThenQuits(app)) << app.errorOutput().toStdString();
        EXPECT_EQ(contentOf(home.file("Corvane.conf")), "[General]\nonboarded=true\nshowMenuBar=false\n");
        EXPECT_EQ(std::filesystem::symlink_status(lock).type(), type);
        if (type == std::filesystem::file_type::regular) {
            EXPECT_EQ(contentOf(lock), before);
        }
        EXPECT_TRUE(app.problems().isEmpty()) << problemsOf(app).toStdString();
    }
}

namespace {

// Holds every open of a file in a folder until the test ends, answering none: whoever
// opens one there waits, as on a disk that does not answer. Needs root (or
// CAP_SYS_ADMIN); `ok()` says whether the hold is in place.
class OpenHold {
public:
    explicit OpenHold(const QString& folder)
        : fd_(::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY | O_CLOEXEC))
    {
        if (fd_ >= 0 && ::fanotify_mark(fd_, FAN_MARK_ADD, FAN_OPEN_PERM | FAN_EVENT_ON_CHILD, AT_FDCWD,
                                        QFile::encodeName(folder).constData()) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    // Closing answers every open still waiting: it goes ahead.
    ~OpenHold()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OpenHold(const OpenHold&) = delete;
    OpenHold& operator=(const OpenHold&) = delete;

    bool ok() const { return fd_ >= 0; }

    // Waits for a held open and returns the pid of who opened; 0 when none comes.
    int heldOpen(int timeoutMs = 60'000) const
    {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, timeoutMs) != 1)
            return 0;
        fanotify_event_metadata event{};
        if (::read(fd_, &event, sizeof event) < static_cast<ssize_t>(sizeof event))
            return 0;
        if (event.fd >= 0)
            ::close(event.fd);
        return event.pid;
    }

private:
    int fd_;
};

} // namespace

// A save that the disk never finishes: SIGTERM still ends the app, its quit waiting only
// a bounded time for the write and saying so.
TEST(AppLaunchSettings, SigtermEndsTheAppWhileASaveIsHeldUp)
{
    SettingsHome home;
    plant(home.file("Corvane.conf"), "[General]\nshowMenuBar=false\n");
    ProgramRun app{home.home, QStringLiteral(CORVANE_APP), {}, QStringLiteral("monitor.debug=true")};
    app.start();
    ASSERT_TRUE(app.waitForLine(checkFinished)) << app.errorOutput().toStdString();
    const OpenHold hold(home.folder.path());
    if (!hold.ok())
        GTEST_SKIP() << "holding opens needs root";
    // The quit marks onboarding done, and that write waits on the disk.
    ASSERT_TRUE(app.terminate()) << app.errorOutput().toStdString();
    EXPECT_TRUE(app.errorOutput().contains("warning settings: quitting before every change was written"))
        << app.errorOutput().toStdString();
}

// The GUI thread itself waits on the disk as it reads the settings, before the event
// loop runs: SIGTERM ends the app all the same, within its bound, by the signal.
TEST(AppLaunchSettings, SigtermEndsTheAppWhileItsGuiThreadIsHeldUp)
{
    SettingsHome home;
    plant(home.file("Corvane.conf"), "[General]\nshowMenuBar=false\n");
    const OpenHold hold(home.folder.path());
    if (!hold.ok())
        GTEST_SKIP() << "holding opens needs root";
    ProgramRun app{home.home, QStringLiteral(CORVANE_APP), {}, QStringLiteral("monitor.debug=true")};
    app.start();
    ASSERT_EQ(hold.heldOpen(), app.process().processId()) << app.errorOutput().toStdString();
    app.process().terminate();
    ASSERT_TRUE(app.waitForEnd()) << app.errorOutput().toStdString();
    EXPECT_EQ(app.process().exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(app.process().exitCode(), SIGTERM);
    EXPECT_TRUE(app.errorOutput().contains("quit did not finish after a termination signal; ending now"))
        << app.errorOutput().toStdString();
    EXPECT_FALSE(app.errorOutput().contains(checkFinished));
}
