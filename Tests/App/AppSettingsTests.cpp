#include "CorvaneApp/AppSettings.hpp"
#include "Tests/App/Support/SignalCounter.hpp"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

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
