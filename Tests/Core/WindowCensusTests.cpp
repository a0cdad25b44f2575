#include "Core/WindowCensus.hpp"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

WindowDescription window(int64_t pid, const std::string& owner)
{
    return {{"kCGWindowLayer", int64_t{0}}, {"kCGWindowIsOnscreen", true}, {"kCGWindowOwnerPID", pid},
            {"kCGWindowOwnerName", owner}};
}

WindowDescription with(WindowDescription description, const std::string& key, WindowValue value)
{
    description[key] = std::move(value);
    return description;
}

WindowDescription without(WindowDescription description, const std::string& key)
{
    description.erase(key);
    return description;
}

} // namespace

TEST(WindowCensus, CountsWindowsPerOwnerMostFirst)
{
    // The first name seen for a pid wins.
    const auto counts = WindowCensus::count({window(77, "Mail"), window(412, "Browser"), window(412, "Renamed")});
    EXPECT_EQ(counts, (std::vector<WindowCount>{{"Browser", 412, 2}, {"Mail", 77, 1}}));
}

TEST(WindowCensus, EqualCountsAreOrderedByOwnerName)
{
    const auto counts = WindowCensus::count({window(3, "Mail"), window(1, "app"), window(2, "Finder")});
    EXPECT_EQ(counts, (std::vector<WindowCount>{{"Finder", 2, 1}, {"Mail", 3, 1}, {"app", 1, 1}}));
}

TEST(WindowCensus, SkipsWindowsThatAreNotNormalOnScreenAppWindows)
{
    const auto base = window(9, "Kept");
    const std::vector<WindowDescription> skipped{
        with(base, "kCGWindowLayer", int64_t{25}),
        without(base, "kCGWindowLayer"),
        with(base, "kCGWindowLayer", std::string("0")),
        with(base, "kCGWindowIsOnscreen", false),
        without(base, "kCGWindowOwnerPID"),
        with(base, "kCGWindowOwnerPID", std::string("9")),
        with(base, "kCGWindowOwnerPID", int64_t{1} << 40),
        with(base, "kCGWindowOwnerPID", 9.5),
        without(base, "kCGWindowOwnerName"),
        with(base, "kCGWindowOwnerName", int64_t{3}),
    };
    for (const auto& description : skipped)
        EXPECT_TRUE(WindowCensus::count({description}).empty());
}

TEST(WindowCensus, KeepsWindowsWhoseOnScreenFlagIsAbsentOrNotBoolean)
{
    const auto base = window(9, "Kept");
    const auto counts = WindowCensus::count({without(base, "kCGWindowIsOnscreen"),
                                             with(base, "kCGWindowIsOnscreen", int64_t{0}),
                                             with(base, "kCGWindowOwnerPID", 9.0), with(base, "kCGWindowLayer", 0.0)});
    EXPECT_EQ(counts, (std::vector<WindowCount>{{"Kept", 9, 4}}));
}

TEST(WindowCensus, ScaledWhenTheCurrentModeIsNotTheWidest)
{
    EXPECT_FALSE(WindowCensus::isScaled(3840, {3840, 1920, 2560}));
    EXPECT_TRUE(WindowCensus::isScaled(1920, {1920, 3840}));
    EXPECT_FALSE(WindowCensus::isScaled(1920, {}));
}

TEST(WindowCensus, TallyCountsEveryDisplayButJudgesOnlyThoseWithModes)
{
    const std::vector<DisplayModes> displays{
        {3840, {3840, 1920}},
        {1280, {1280, 2560}},
        {std::nullopt, {}},  // no mode list: counted, neither scaled nor unscaled
    };
    EXPECT_EQ(WindowCensus::tally(displays), (DisplayInfo{3, 1}));
    EXPECT_EQ(WindowCensus::tally({}), (DisplayInfo{0, 0}));
}

TEST(WindowCensus, LiveCensusNeverFails)
{
    for (const auto& count : WindowCensus::live())
        EXPECT_GT(count.count, 0);
    const auto displays = WindowCensus::displays();
    EXPECT_LE(displays.scaledCount, displays.count);
    EXPECT_LE(displays.count, 16);
}
