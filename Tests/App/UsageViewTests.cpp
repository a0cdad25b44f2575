#include "CorvaneApp/UsageView.hpp"

#include "CorvaneApp/Sidebar.hpp"
#include "CorvaneApp/UsageCharts.hpp"
#include "Tests/App/Support/AppHarness.hpp"
#include "Tests/App/Support/ClippedWidgets.hpp"

#include <QChartView>
#include <QCoreApplication>
#include <QPushButton>
#include <QSet>

#include <cmath>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr int64_t GiB = int64_t(1) << 30;

// A history whose every read answers one record per read, tagged with how many hours
// back the read reached, so a test can tell which read's records are shown.
struct FakeHistory {
    Date now;
    std::vector<double> hoursAsked;
    std::vector<Date> nowsAsked;
    bool fails = false;

    UsageProbes probes()
    {
        return UsageProbes{
            [this](const UsageStore&, Date since, Date asOf) {
                nowsAsked.push_back(asOf);
                if (fails)
                    throw std::runtime_error("unreadable folder");
                const double hours = std::round(secondsBetween(since, now) / 3600);
                hoursAsked.push_back(hours);
                return std::vector<MinuteRecord>{MinuteRecord{minuteOf(now) - 1, hours, hours, 0, 0, 0, 1}};
            },
            [] { return 8 * GiB; },
            [] { return true; },
        };
    }
};

double shownHours(const UsageView& view)
{
    return view.records().empty() ? -1 : view.records().front().cpu;
}

class UsageViewTest : public ::testing::Test {
protected:
    AppHarness h;
    FakeHistory history{h.harness.clock.now(), {}, {}};
    UsageView view{h.env, history.probes()};
};

} // namespace

TEST_F(UsageViewTest, LoadsWhenShownThenSixtySecondsAfterEachLoad)
{
    h.harness.executor.runAll();  // the machine facts
    EXPECT_TRUE(history.hoursAsked.empty());

    view.show();
    h.harness.executor.runAll();
    EXPECT_EQ(history.hoursAsked, (std::vector<double>{24, 168}));
    // The screen's own clock bounds both reads: records past it are not history yet.
    EXPECT_EQ(history.nowsAsked, (std::vector<Date>{h.harness.clock.now(), h.harness.clock.now()}));
    EXPECT_EQ(shownHours(view), 24);
    EXPECT_EQ(view.weekRecords().front().cpu, 168);
    EXPECT_EQ(h.harness.scheduler.nextDelay(), 60.0);

    // A read that fails keeps the last records on screen and the reads going.
    history.fails = true;
    h.harness.scheduler.advance(60);
    EXPECT_EQ(h.harness.executor.pending(), 1u);
    h.harness.executor.runAll();
    EXPECT_EQ(shownHours(view), 24);
    EXPECT_EQ(h.harness.scheduler.nextDelay(), 60.0);

    // Hidden, the reads stop.
    h.harness.scheduler.advance(60);
    view.hide();
    h.harness.executor.runAll();
    EXPECT_EQ(h.harness.scheduler.pending(), 0u);
}

TEST_F(UsageViewTest, RangeChangeLoadsAtOnce)
{
    view.show();
    h.harness.executor.runAll();
    history.hoursAsked.clear();

    view.findChild<QPushButton*>(QStringLiteral("range-168"))->click();
    EXPECT_EQ(view.range(), 168);
    ASSERT_EQ(h.harness.executor.pending(), 1u);  // no 60-second wait
    EXPECT_EQ(h.harness.scheduler.pending(), 0u);
    h.harness.executor.runAll();
    EXPECT_EQ(history.hoursAsked, (std::vector<double>{168, 168}));
    EXPECT_EQ(shownHours(view), 168);
    EXPECT_EQ(h.harness.scheduler.nextDelay(), 60.0);

    view.findChild<QPushButton*>(QStringLiteral("range-24"))->click();
    h.harness.executor.runAll();
    EXPECT_EQ(shownHours(view), 24);
}

TEST_F(UsageViewTest, SupersededLoadNeverOverwritesANewerOne)
{
    view.show();
    h.harness.executor.runAll();

    view.setRange(168);
    view.setRange(720);
    ASSERT_EQ(h.harness.executor.pending(), 2u);
    h.harness.executor.runNext(1);  // the 30-day read ends first
    EXPECT_EQ(shownHours(view), 720);
    h.harness.executor.runNext();  // the 7-day read ends late and is dropped
    EXPECT_EQ(shownHours(view), 720);

    // Back to 24 hours and on to 7 days: an older read of the chosen range loses to a newer one.
    view.setRange(24);
    view.setRange(168);
    view.setRange(24);
    ASSERT_EQ(h.harness.executor.pending(), 3u);
    h.harness.executor.runNext(2);
    EXPECT_EQ(shownHours(view), 24);
    history.now += std::chrono::hours(1);  // the older 24-hour read now reaches back 25 hours
    h.harness.executor.runAll();
    EXPECT_EQ(shownHours(view), 24);
}

TEST_F(UsageViewTest, HistoryFollowsTheHistorySettingAndRebucketsOnRangeChange)
{
    view.show();
    EXPECT_TRUE(showsText(view, "Corvane records one line a minute while it runs. Check back soon."));
    h.harness.executor.runAll();
    auto* cpu = view.findChildren<HistoryChartView*>().value(0);
    ASSERT_NE(cpu, nullptr);
    EXPECT_TRUE(cpu->isVisibleTo(&view));
    EXPECT_EQ(cpu->values(), (std::vector<double>{24}));

    h.monitor.setKeepHistory(false);
    EXPECT_TRUE(showsText(view, "Usage history is off. Turn it on in Settings."));
    EXPECT_FALSE(cpu->isVisibleTo(&view));
    h.monitor.setKeepHistory(true);
    EXPECT_TRUE(cpu->isVisibleTo(&view));
}

TEST_F(UsageViewTest, LiveCardsAndIntelLineFollowTheMonitor)
{
    // The texts are the model's; here only that each store refreshes its card.
    h.harness.executor.runAll();
    h.monitor.setMemory(MemoryBreakdown{16 * GiB, 6 * GiB, 2 * GiB, 1 * GiB, 4 * GiB, 3 * GiB});
    EXPECT_TRUE(showsText(view, QString::fromUtf8("9\u00A0GB of 16\u00A0GB"))) << "sizes kept whole";

    SystemSignals signals;
    signals.cpuLoadPercent = 49.5;
    signals.diskTotalBytes = 500'000'000'000;
    h.monitor.setSignals(signals);
    h.monitor.setCpuHistory({CPUPoint{h.harness.clock.now(), 40}, CPUPoint{h.harness.clock.now(), 49.5}});
    h.monitor.setMac(MacInfo{"MacBook Pro", "Intel Core i9", 16 * GiB, false});
    EXPECT_TRUE(showsText(view, "50%"));
    EXPECT_TRUE(showsText(view, QString::fromUtf8("MacBook Pro \u00B7 Intel Core i9 \u00B7 16 GB memory \u00B7 500 GB storage")));
    EXPECT_EQ(view.findChild<CPUChart*>()->pointCount(), 2);
    const QString intel = "This is an Intel Mac. It can't run macOS 27 or later, so plan an upgrade to keep getting "
                          "security updates.";
    EXPECT_TRUE(showsText(view, intel));

    h.monitor.setMac(MacInfo{"MacBook Air", "Apple M2", 16 * GiB, true});
    EXPECT_FALSE(showsText(view, intel));
}

TEST_F(UsageViewTest, CardsShareTheWidthOfTheSmallestWindowEqually)
{
    // The screen as wide as the smallest main window leaves it beside the sidebar.
    view.resize(1000 - Sidebar::columnWidth() - 1, 700);
    view.show();
    h.harness.executor.runAll();
    QCoreApplication::processEvents();

    const auto cardOf = [](QWidget* content) { return content ? content->parentWidget() : nullptr; };
    std::vector<QWidget*> history;
    for (auto* chart : view.findChildren<HistoryChartView*>())
        history.push_back(cardOf(chart));
    ASSERT_EQ(history.size(), 3u);
    for (QWidget* card : history)
        EXPECT_NEAR(card->width(), history[0]->width(), 1) << "history cards";
    QWidget* cpu = cardOf(view.findChild<CPUChart*>());
    QWidget* memory = cardOf(view.findChild<MemoryBar*>()->parentWidget());
    ASSERT_NE(cpu, nullptr);
    EXPECT_NEAR(cpu->width(), memory->width(), 1) << "live cards";
    EXPECT_GT(cpu->width(), 250);
    for (auto* chart : view.findChildren<HistoryChartView*>())
        EXPECT_EQ(chart->timeLabels().size(), 1) << "the one bar has its time";
}

TEST_F(UsageViewTest, CPUTimeLabelsNeverRepeatInTheFirstMinute)
{
    view.resize(1000 - Sidebar::columnWidth() - 1, 700);
    view.show();
    std::vector<CPUPoint> points;
    for (int i = 10; i >= 0; --i)
        points.push_back({h.harness.clock.now() - std::chrono::seconds(3 * i), 20});
    h.monitor.setCpuHistory(points);
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();

    auto* chart = view.findChild<CPUChart*>();
    QStringList times;
    for (const QString& text : chartTexts(*chart)) {
        if (text.contains(QLatin1Char(':')))
            times.append(text);
    }
    EXPECT_GE(times.size(), 2);
    EXPECT_EQ(QSet<QString>(times.begin(), times.end()).size(), times.size()) << times.join(' ').toStdString();
    QStringList model = chart->timeLabels();
    times.sort();
    model.sort();
    EXPECT_EQ(times, model) << "drawn as the model reads them";
}
