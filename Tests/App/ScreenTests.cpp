#include "CorvaneApp/Screen.hpp"

#include <gtest/gtest.h>

using namespace corvane;

TEST(Screen, SidebarOrderTitlesAndIcons)
{
    const auto screens = allCases<Screen>();
    ASSERT_EQ(screens.size(), 5u);
    EXPECT_EQ(title(screens[2]), "Background Items");
    EXPECT_EQ(icon(screens[4]), "chart.xyaxis.line");
    EXPECT_EQ(fromString<Screen>("internet"), Screen::internet);
}
