#include "Platform/RandRDisplays.hpp"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

// A screen whose mode table holds 3840, 2560, 1920 and 1280 pixels wide modes.
RandRDisplays::Answer screen(std::vector<RandRDisplays::Answer::Monitor> monitors)
{
    return {std::move(monitors), {{0x40, 3840}, {0x41, 2560}, {0x42, 1920}, {0x43, 1280}}};
}

} // namespace

TEST(RandRDisplays, EachMonitorRunsTheModeItsOutputRunsNow)
{
    const auto displays = RandRDisplays::displays(screen({
        {{0x41, 0x42, 0x43}, 0x42},  // a 2560 panel run at 1920: scaled, whatever it prefers
        {{0x42, 0x40}, 0x40},        // running its widest mode
        {{0x43}, std::nullopt},      // an output running no mode
        {{}, 0x43},                  // a monitor without outputs of its own
    }));
    ASSERT_EQ(displays.size(), 4u);
    EXPECT_EQ(displays[0].currentWidth, 1920);
    EXPECT_EQ(displays[0].widths, (std::vector<int64_t>{2560, 1920, 1280}));
    EXPECT_EQ(displays[1].currentWidth, 3840);
    EXPECT_FALSE(displays[2].currentWidth);
    EXPECT_EQ(WindowCensus::tally(displays), (DisplayInfo{4, 1}));
}

TEST(RandRDisplays, ModesTheScreenDoesNotListArePassedOver)
{
    const auto displays = RandRDisplays::displays(screen({{{0x99, 0x43}, 0x98}}));
    ASSERT_EQ(displays.size(), 1u);
    EXPECT_EQ(displays[0].widths, (std::vector<int64_t>{1280}));
    EXPECT_FALSE(displays[0].currentWidth);
}

TEST(RandRDisplays, ExaminesAtMostSixteenMonitors)
{
    EXPECT_EQ(RandRDisplays::displays(screen(std::vector<RandRDisplays::Answer::Monitor>(17, {{0x42}, 0x42}))).size(),
              16u);
    EXPECT_TRUE(RandRDisplays::displays(screen({})).empty());
}

TEST(RandRDisplays, WithoutAReachableDisplayThereIsNoAnswer)
{
    EXPECT_FALSE(RandRDisplays::query(":65000").has_value());
    EXPECT_FALSE(RandRDisplays::query("no display here").has_value());
}
