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

#include <sys/stat.h>

#include <filesystem>

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

// A settings file that would hang the app as it starts, before its event loop runs: it
// starts on the defaults, says where it put the pipe, keeps checking, and ends on SIGTERM.
TEST(AppLaunchSettings, APipeForTheSettingsFileHoldsNothingUp)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QDir folder(home.filePath(QStringLiteral(".config/Corvane")));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath(QStringLiteral("Corvane.conf"))).constData(), 0600), 0);

    ProgramRun app{home, QStringLiteral(CORVANE_APP), {}, QStringLiteral("monitor.debug=true")};
    app.start();
    ASSERT_TRUE(app.waitForLine(checkFinished)) << app.errorOutput().toStdString();
    app.process().terminate();
    ASSERT_TRUE(app.waitForEnd()) << app.errorOutput().toStdString();
    EXPECT_EQ(app.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.process().exitCode(), 0);

    const QStringList aside = folder.entryList({QStringLiteral("Corvane.conf.unreadable-*")}, QDir::System);
    ASSERT_EQ(aside.size(), 1) << app.errorOutput().toStdString();
    const QByteArray asidePath = QFile::encodeName(folder.filePath(aside[0]));
    EXPECT_TRUE(std::filesystem::is_fifo(asidePath.toStdString()));
    // Its one warning says where.
    const auto problems = app.problems();
    ASSERT_EQ(problems.size(), 1) << describe(problems).toStdString();
    EXPECT_TRUE(problems[0].startsWith("warning settings: settings file "));
    EXPECT_TRUE(problems[0].endsWith("set aside as " + asidePath)) << problems[0].toStdString();
}
