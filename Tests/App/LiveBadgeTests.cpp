#include "CorvaneApp/LiveBadge.hpp"

#include "CorvaneApp/Theme.hpp"
#include "Tests/App/Support/AppHarness.hpp"

#include <QPushButton>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

TEST(LiveBadge, CountsEverySecondOnTheSchedulerAndFollowsTheMonitor)
{
    AppHarness t{AppHarness::Catalog::shipped};
    auto badgeOwner = std::make_unique<LiveBadge>(t.env);
    LiveBadge& badge = *badgeOwner;
    EXPECT_EQ(badge.text(), QString::fromUtf8("Checking\u2026"));
    // Built off screen, it does not count until it is shown.
    EXPECT_EQ(t.harness.scheduler.pending(), 0u);
    badge.show();

    t.monitor.setLastChecked(t.harness.clock.now());
    EXPECT_EQ(badge.text(), QString::fromUtf8("Live \u00B7 checked 0s ago"));
    t.harness.scheduler.advance(1);
    t.harness.scheduler.advance(1);
    EXPECT_EQ(badge.text(), QString::fromUtf8("Live \u00B7 checked 2s ago"));

    // A fresh check restarts the count without waiting for the next second.
    t.monitor.setLastChecked(t.harness.clock.now());
    EXPECT_EQ(badge.text(), QString::fromUtf8("Live \u00B7 checked 0s ago"));

    // Hidden with its window it stops counting; shown again it reads the time at once.
    badge.hide();
    EXPECT_EQ(t.harness.scheduler.pending(), 0u);
    t.harness.clock.advance(40);
    badge.show();
    EXPECT_EQ(badge.text(), QString::fromUtf8("Live \u00B7 checked 40s ago"));
    EXPECT_EQ(t.harness.scheduler.pending(), 1u);

    // Gone with the screen, it stops counting.
    badgeOwner.reset();
    EXPECT_EQ(t.harness.scheduler.pending(), 0u);
}

TEST(LiveBadge, ButtonPausesAndResumesTheMonitor)
{
    AppHarness t{AppHarness::Catalog::shipped};
    LiveBadge badge(t.env);
    auto* dot = badge.findChild<ColourDot*>();
    ASSERT_NE(dot, nullptr);
    EXPECT_EQ(badge.button()->text(), "Pause");
    EXPECT_EQ(badge.button()->property("symbol").toString(), "pause.fill");
    EXPECT_EQ(dot->colour(), Theme::green());

    badge.button()->click();
    EXPECT_TRUE(t.monitor.isPaused());
    EXPECT_EQ(badge.text(), "Paused");
    EXPECT_EQ(badge.button()->text(), "Resume");
    EXPECT_EQ(badge.button()->property("symbol").toString(), "play.fill");
    EXPECT_EQ(dot->colour(), Theme::text3());

    badge.button()->click();
    EXPECT_FALSE(t.monitor.isPaused());
    EXPECT_EQ(badge.button()->text(), "Pause");
}
