#include "Tests/Tools/ProgramRun.hpp"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using corvane::test::ProgramRun;

// Every screen in every state the tool knows, rendered by the real widgets: no crash, and
// no warning from Qt or the tool along the way.
TEST(ScreenshotTool, RendersEveryStateWithoutAWarning)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString folder = QDir(home.path()).filePath(QStringLiteral("shots"));
    ProgramRun tool{home, QStringLiteral(CORVANE_SCREENSHOTS), {folder}};
    tool.start();
    ASSERT_TRUE(tool.waitForEnd(QDeadlineTimer(300'000))) << tool.errorOutput().toStdString();
    EXPECT_EQ(tool.process().exitStatus(), QProcess::NormalExit) << "ended by signal " << tool.process().exitCode();
    EXPECT_EQ(tool.process().exitCode(), 0);
    EXPECT_TRUE(tool.problems().isEmpty()) << tool.errorOutput().toStdString();

    // It names each picture it wrote.
    const auto written = tool.process().readAllStandardOutput().split('\n');
    int pictures = 0;
    for (const auto& line : written) {
        if (line.isEmpty())
            continue;
        EXPECT_TRUE(QFileInfo(QString::fromUtf8(line)).isFile()) << line.toStdString();
        ++pictures;
    }
    EXPECT_GT(pictures, 0);
}
