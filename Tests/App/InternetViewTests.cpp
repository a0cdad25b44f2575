#include "CorvaneApp/InternetView.hpp"

#include "Core/SpeedTest.hpp"
#include "CorvaneApp/FixButton.hpp"
#include "Tests/App/Support/AppHarness.hpp"
#include "Tests/App/Support/Keyboard.hpp"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

struct FakeProbes {
    int rssi = -55;
    int linkReads = 0;
    int trafficReads = 0;
    bool trafficFails = false;
    std::optional<SpeedResult> nextSpeed;  // absent: the test fails

    InternetProbes probes()
    {
        return InternetProbes{
            [this] {
                ++linkReads;
                return LinkType::wifi;
            },
            [this] { return std::optional<WiFiLink>(WiFiLink{rssi, -90, 400, WiFiBand::ghz5}); },
            [this] {
                ++trafficReads;
                if (trafficFails)
                    throw std::runtime_error("no traffic tool");
                return std::vector<NetUsage>{NetUsage{7, "sync", 50'000, 0}};
            },
            [this] {
                if (!nextSpeed)
                    throw SpeedTestError::failed("no server");
                return *nextSpeed;
            },
        };
    }
};

// Presses "Run speed test" and answers the alert it opens with `answer`.
void runSpeedTest(InternetView& view, const QString& answer = QStringLiteral("Run test"))
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // alerts already closed
    ASSERT_EQ(view.findChild<QMessageBox*>(), nullptr);
    view.findChild<QPushButton*>(QStringLiteral("runSpeedTest"))->click();
    auto* box = view.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->text(), "Test your internet speed?");
    for (QAbstractButton* button : box->buttons()) {
        if (button->text() == answer)
            button->click();
    }
}

} // namespace

TEST(InternetView, PollsWhileShownOneCycleAtATimeWithASecondBetween)
{
    AppHarness h;
    FakeProbes fake;
    InternetView view(h.env, fake.probes());
    EXPECT_EQ(h.harness.executor.pending(), 0u);  // nothing runs before the screen is shown

    view.show();
    ASSERT_EQ(h.harness.executor.pending(), 1u);
    EXPECT_TRUE(showsText(view, QString::fromUtf8("Checking your connection\u2026")));
    h.harness.executor.runNext();
    EXPECT_EQ(view.state().link, LinkType::wifi);
    EXPECT_FALSE(view.state().usageLoaded);

    fake.trafficFails = true;  // a failed traffic reading shows as no traffic
    h.harness.executor.runNext();
    EXPECT_TRUE(view.state().usageLoaded);
    EXPECT_TRUE(showsText(view, "Nothing is using much bandwidth right now."));
    EXPECT_EQ(h.harness.scheduler.nextDelay(), 1.0);
    EXPECT_EQ(h.harness.executor.pending(), 0u);

    fake.trafficFails = false;
    h.harness.scheduler.advance(1.0);
    h.harness.executor.runAll();
    EXPECT_EQ(fake.linkReads, 2);
    EXPECT_TRUE(showsText(view, "sync"));

    // Hidden mid-cycle: the cycle finishes and stores its results, then the loop stops.
    h.harness.scheduler.advance(1.0);
    view.hide();
    h.harness.executor.runAll();
    EXPECT_EQ(fake.trafficReads, 3);
    EXPECT_EQ(h.harness.scheduler.pending(), 0u);

    view.show();
    h.harness.executor.runAll();
    EXPECT_EQ(fake.linkReads, 4);
    EXPECT_EQ(h.harness.scheduler.pending(), 1u);
}

TEST(InternetView, FindingRowsAreKeptAcrossPollsAndTicks)
{
    AppHarness h;
    FakeProbes fake;
    fake.rssi = -75;
    InternetView view(h.env, fake.probes());
    view.show();
    h.harness.executor.runAll();
    auto* button = view.findChild<FixButton*>();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->fix(), FixID::openWiFiSettings);
    EXPECT_TRUE(showsText(view, "Your Wi-Fi signal is only fair."));

    fake.rssi = -85;  // same finding, new words: the row and its button stay
    h.harness.scheduler.advance(1.0);
    h.harness.executor.runAll();
    h.monitor.setGroups({});
    EXPECT_EQ(view.findChild<FixButton*>(), button);
    EXPECT_TRUE(showsText(view, "Your Wi-Fi signal is weak."));

    button->click();
    h.harness.executor.runAll();
    EXPECT_EQ(h.backend->opened.size(), 1u);

    fake.rssi = -50;  // healthy again: the row goes
    h.harness.scheduler.advance(1.0);
    h.harness.executor.runAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(view.findChild<FixButton*>(), nullptr);
    EXPECT_TRUE(showsText(view, "Your internet looks healthy."));
}

TEST(InternetView, StoredSpeedResultSurvivesLeavingTheScreen)
{
    AppHarness h;
    FakeProbes fake;
    const Date measured = h.harness.clock.now();
    fake.nextSpeed = SpeedResult{123.4, 20, 1200, 18, measured};
    {
        auto view = std::make_unique<InternetView>(h.env, fake.probes());
        view->show();
        runSpeedTest(*view, QStringLiteral("Cancel"));
        EXPECT_FALSE(view->state().testing);
        runSpeedTest(*view);
        EXPECT_TRUE(view->state().testing);
        EXPECT_TRUE(showsText(*view, QString::fromUtf8("Testing your connection\u2026")));
        EXPECT_FALSE(view->findChild<QPushButton*>(QStringLiteral("runSpeedTest"))->isEnabled());
    }  // the user leaves the screen while the test runs
    h.harness.executor.runAll();
    ASSERT_TRUE(h.harness.settings->lastSpeedTest());
    EXPECT_EQ(SpeedResult::fromJSON(*h.harness.settings->lastSpeedTest()), fake.nextSpeed);

    InternetView again(h.env, fake.probes());
    EXPECT_EQ(again.state().speed, fake.nextSpeed);
    EXPECT_FALSE(again.state().testing);
    EXPECT_TRUE(showsText(again, "123 Mbps"));
    EXPECT_TRUE(showsText(again, "Last tested now"));
}

TEST(InternetView, FailedTestKeepsTheLastResultAndSaysSo)
{
    AppHarness h;
    FakeProbes fake;
    const SpeedResult earlier{80, 20, std::nullopt, std::nullopt, h.harness.clock.now()};
    h.harness.settings->setLastSpeedTest(earlier.toJSON());
    InternetView view(h.env, fake.probes());
    view.show();
    runSpeedTest(view);
    h.harness.executor.runAll();
    EXPECT_EQ(view.state().speed, earlier);
    EXPECT_FALSE(view.state().testing);
    EXPECT_TRUE(showsText(view, "The speed test didn't finish. Check your connection and try again."));
    EXPECT_TRUE(showsText(view, "80 Mbps"));
    EXPECT_EQ(SpeedResult::fromJSON(*h.harness.settings->lastSpeedTest()), earlier);

    // The next test clears the message as it starts.
    fake.nextSpeed = SpeedResult{90, 20, std::nullopt, std::nullopt, h.harness.clock.now()};
    runSpeedTest(view);
    EXPECT_FALSE(view.state().testError);
    h.harness.executor.runAll();
    EXPECT_EQ(view.state().speed, fake.nextSpeed);
}

TEST(InternetView, ReturnInTheSpeedTestQuestionRunsTheTest)
{
    AppHarness h;
    FakeProbes fake;
    InternetView view(h.env, fake.probes());
    view.show();
    view.findChild<QPushButton*>(QStringLiteral("runSpeedTest"))->click();
    auto* box = view.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(keyboardWindow(), box);
    ASSERT_TRUE(press(Qt::Key_Return));  // a test destroys nothing, so Return runs it
    EXPECT_TRUE(view.state().testing);
}

TEST(InternetView, UnreadableStoredResultIsNoResult)
{
    AppHarness h;
    FakeProbes fake;
    for (const char* stored : {"{not json", "{\"downloadMbps\": 5}", "[]", ""}) {
        h.harness.settings->setLastSpeedTest(std::string(stored));
        InternetView view(h.env, fake.probes());
        EXPECT_FALSE(view.state().speed) << stored;
        EXPECT_TRUE(showsText(view, "See your real download and upload speed.")) << stored;
        EXPECT_EQ(h.harness.settings->lastSpeedTest(), std::string(stored));  // left untouched
    }
}
