#include "CorvaneApp/LiveBadgeModel.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace std::chrono_literals;

namespace {
const Date checked = Date{} + 1'000'000s;
}

TEST(LiveBadgeModel, CountsWholeSecondsTruncatedAndNeverNegative)
{
    EXPECT_EQ(liveBadgeLabel(false, checked, checked + 900ms), "Live \u00B7 checked 0s ago");
    EXPECT_EQ(liveBadgeLabel(false, checked, checked + 59990ms), "Live \u00B7 checked 59s ago");
    EXPECT_EQ(liveBadgeLabel(false, checked, checked + 125s), "Live \u00B7 checked 125s ago");
    EXPECT_EQ(liveBadgeLabel(false, checked, checked - 30s), "Live \u00B7 checked 0s ago");
}
