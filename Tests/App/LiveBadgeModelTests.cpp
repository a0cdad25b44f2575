#include "CorvaneApp/LiveBadgeModel.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace std::chrono_literals;

namespace {
const Date checked = Date{} + 1'000'000s;
}

TEST(LiveBadgeModel, PausedWinsOverCheckingAndFlipsDotAndButton)
{
    const auto paused = liveBadge(true, std::nullopt, checked);
    EXPECT_EQ(paused.text, "Paused");
    EXPECT_EQ(paused.dot, ColorRole::text3);
    EXPECT_EQ(paused.buttonTitle, "Resume");
    EXPECT_EQ(paused.buttonSymbol, "play.fill");

    const auto running = liveBadge(false, std::nullopt, checked);
    EXPECT_EQ(running.text, "Checking\u2026");
    EXPECT_EQ(running.dot, ColorRole::green);
    EXPECT_EQ(running.buttonTitle, "Pause");
    EXPECT_EQ(running.buttonSymbol, "pause.fill");
}

TEST(LiveBadgeModel, CountsWholeSecondsTruncatedAndNeverNegative)
{
    EXPECT_EQ(liveBadgeLabel(false, checked, checked + 900ms), "Live \u00B7 checked 0s ago");
    EXPECT_EQ(liveBadgeLabel(false, checked, checked + 59990ms), "Live \u00B7 checked 59s ago");
    EXPECT_EQ(liveBadgeLabel(false, checked, checked + 125s), "Live \u00B7 checked 125s ago");
    EXPECT_EQ(liveBadgeLabel(false, checked, checked - 30s), "Live \u00B7 checked 0s ago");
}
