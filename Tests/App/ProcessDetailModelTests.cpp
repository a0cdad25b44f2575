#include "CorvaneApp/ProcessDetailModel.hpp"

#include "Core/Format.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace std::chrono_literals;

namespace {

const Date now = Date{} + 1'000'000s;

ProcessGroup groupOf(std::vector<std::pair<std::string, double>> members, bool quittable = true)
{
    ProcessGroup g{"pid:1", members.front().first, std::nullopt, {}, 0, 0, quittable};
    int32_t pid = 1;
    for (const auto& [name, cpu] : members)
        g.members.push_back({pid++, 1, 501, "ann", "/usr/bin/" + name, name, cpu, 2048});
    return g;
}

Explanation withFixes(std::vector<FixID> fixes, std::optional<std::string> guide = std::nullopt)
{
    Explanation e;
    e.summary = "Summary";
    e.fixes = std::move(fixes);
    e.guide = std::move(guide);
    return e;
}

} // namespace

TEST(ProcessDetailFixes, DropsExplainAndQuitForUnquittableGroupsInCatalogOrder)
{
    const auto e = withFixes({FixID::explain, FixID::quitApp, FixID::openLoginItemsSettings, FixID::quitApp});
    EXPECT_EQ(shownFixes(e, groupOf({{"a", 0}}), std::nullopt, now),
              (std::vector<FixID>{FixID::quitApp, FixID::openLoginItemsSettings, FixID::quitApp}));
    EXPECT_EQ(shownFixes(e, groupOf({{"a", 0}}, false), std::nullopt, now),
              (std::vector<FixID>{FixID::openLoginItemsSettings}));
}

TEST(ProcessDetailFixes, OffersTheIndexRebuildOnlyAfterThreeHoursOfBusySpotlight)
{
    const auto e = withFixes({FixID::explain, FixID::openSpotlightSettings, FixID::rebuildSpotlightIndex});
    const auto g = groupOf({{"mds", 0}});
    const std::vector<FixID> settingsOnly{FixID::openSpotlightSettings};
    EXPECT_EQ(shownFixes(e, g, std::nullopt, now), settingsOnly);
    EXPECT_EQ(shownFixes(e, g, now - 10800s, now), settingsOnly);
    EXPECT_EQ(shownFixes(e, g, now - 10801s, now),
              (std::vector<FixID>{FixID::openSpotlightSettings, FixID::rebuildSpotlightIndex}));
    EXPECT_EQ(shownFixes(e, g, now - 4h, now).back(), FixID::rebuildSpotlightIndex);
}

TEST(ProcessDetailParts, SectionsFollowThePrimaryProcessAndMemberCount)
{
    EXPECT_FALSE(processDetail(groupOf({{"a", 0}}), std::nullopt, std::nullopt, now));

    const auto single = processDetail(groupOf({{"mds_stores", 0}}), withFixes({}), std::nullopt, now);
    ASSERT_TRUE(single);
    EXPECT_FALSE(single->helpers);
    EXPECT_TRUE(single->spotlight);
    EXPECT_FALSE(single->windowServer);
    EXPECT_FALSE(single->actionRow);

    const auto server = processDetail(groupOf({{"WindowServer", 30}, {"x", 1}}), withFixes({FixID::explain}),
                                      std::nullopt, now);
    EXPECT_TRUE(server->windowServer);
    EXPECT_TRUE(server->helpers);
    EXPECT_FALSE(server->actionRow);  // explain alone, no guide
    EXPECT_FALSE(processDetail(groupOf({{"windowserver", 0}}), withFixes({}), std::nullopt, now)->windowServer);

    // The kernel row's group: one member, never offered a quit.
    ProcessGroup kernel{"kernel_task", "kernel_task", std::nullopt,
                        {{0, 0, 0, "root", "kernel_task", "kernel_task", 0, 0}}, 0, 0, false};
    const auto kernelDetail = processDetail(kernel, withFixes({FixID::quitApp}, "kernel-task"), std::nullopt, now);
    EXPECT_FALSE(kernelDetail->helpers);
    EXPECT_TRUE(kernelDetail->fixes.empty());
    EXPECT_EQ(kernelDetail->guideAddress, "https://corvane.app/process/kernel-task");
    EXPECT_TRUE(kernelDetail->actionRow);
}

TEST(ProcessDetailParts, AnUnusableGuideKeyDropsOnlyTheButton)
{
    EXPECT_FALSE(guideAddress("bad key"));
    const auto detail = processDetail(groupOf({{"a", 0}}), withFixes({}, "bad key"), std::nullopt, now);
    EXPECT_FALSE(detail->guideAddress);
    EXPECT_TRUE(detail->actionRow);
    EXPECT_TRUE(detail->fixes.empty());
}

TEST(ProcessDetailHelpers, BusiestFiveStablyWithTheFullCountInTheTitle)
{
    const auto two = groupOf({{"a", 1}, {"b", 1}});
    EXPECT_EQ(helpersTitle(two), "Busiest parts (2 processes)");
    const auto lines = helperLines(two);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].name, "a");  // equal CPU keeps member order
    EXPECT_EQ(lines[0].cpu, "1%");
    EXPECT_EQ(lines[0].memory, Format::bytes(2048));

    const auto nine = groupOf({{"p0", 1}, {"p1", 9}, {"p2", 2.5}, {"p3", 8}, {"p4", 0}, {"p5", 7}, {"p6", 9},
                               {"p7", 3}, {"p8", 0.4}});
    EXPECT_EQ(helpersTitle(nine), "Busiest parts (9 processes)");
    std::vector<std::string> names;
    for (const auto& line : helperLines(nine))
        names.push_back(line.name + " " + line.cpu);
    EXPECT_EQ(names, (std::vector<std::string>{"p1 9%", "p6 9%", "p3 8%", "p5 7%", "p7 3%"}));
}

TEST(SpotlightSection, HomeIsShortenedOnlyAsALeadingFolder)
{
    const std::string home = "/Users/ann";
    EXPECT_EQ(shortenedPath("/Users/ann/Library/Developer/Xcode/DerivedData", home),
              "~/Library/Developer/Xcode/DerivedData");
    EXPECT_EQ(shortenedPath("/Users/ann", home), "~");
    EXPECT_EQ(shortenedPath("/Users/anna/x", home), "/Users/anna/x");
    EXPECT_EQ(shortenedPath("/data/Users/ann/x", home), "/data/Users/ann/x");
    EXPECT_EQ(shortenedPath("/Users/ann/x/Users/ann", "/Users/ann/"), "~/x/Users/ann");
    EXPECT_EQ(shortenedPath("/x", "/"), "/x");

    const auto lines = folderLines({{"/Users/ann/Parallels", "Parallels virtual machines", 1'000'000'000}}, home);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].shownPath, "~/Parallels");
    EXPECT_EQ(lines[0].size, Format::bytes(1'000'000'000));
}

TEST(WindowServerSection, RowsCountsAndDisplays)
{
    std::vector<WindowCount> census;
    for (int i = 0; i < 7; ++i)
        census.push_back({"App" + std::to_string(i), 100 + i, 7 - i});
    census[5].count = 2;
    census[6].count = 1;
    auto lines = windowLines(census);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].count, "7 windows");
    census = {{"One", 1, 1}, {"Two", 2, 2}};
    lines = windowLines(census);
    EXPECT_EQ(lines[0].count, "1 window");
    EXPECT_EQ(lines[1].count, "2 windows");
    EXPECT_TRUE(windowLines({}).empty());

    EXPECT_EQ(displaysLine({2, 0}), "Displays: 2");
    EXPECT_EQ(displaysLine({2, 1}), "Displays: 2 (1 scaled)");
    EXPECT_EQ(displaysLine({0, 0}), "Displays: 0");
}

TEST(WindowServerSection, TopGroupOffersTabsForBrowsersElseQuitWhenAllowed)
{
    ProcessGroup chrome{"/Applications/Google Chrome.app", "Google Chrome", "/Applications/Google Chrome.app",
                        {{10, 1, 501, "ann", "/x", "Google Chrome", 0, 0}, {11, 10, 501, "ann", "/y", "Helper", 0, 0}},
                        0, 0, true};
    ProcessGroup self{"pid:20", "corvane", std::nullopt, {{20, 1, 501, "ann", "/c", "corvane", 0, 0}}, 0, 0, false};
    ProcessGroup notes{"pid:30", "Notes", std::nullopt, {{30, 1, 501, "ann", "/n", "Notes", 0, 0}}, 0, 0, true};
    const std::vector<ProcessGroup> groups{self, chrome, notes};

    const auto browser = topWindowGroup({{"Helper", 11, 4}, {"Notes", 30, 1}}, groups);
    ASSERT_TRUE(browser);
    EXPECT_EQ(browser->id, chrome.id);
    EXPECT_EQ(topWindowFix(*browser), FixID::reviewTabs);
    EXPECT_EQ(topWindowFix(notes), FixID::quitApp);
    EXPECT_EQ(topWindowFix(self), std::nullopt);
    EXPECT_FALSE(topWindowGroup({{"New", 99, 3}}, groups));
    EXPECT_FALSE(topWindowGroup({}, groups));
}
