#include "CorvaneApp/ProcessTableModel.hpp"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

ProcessGroup groupWith(int members, bool quittable = true)
{
    ProcessGroup group{"/Applications/Notes.app", "Notes", "/Applications/Notes.app", {}, 0, 0, quittable};
    for (int i = 0; i < members; ++i)
        group.members.push_back({100 + i, 1, 501, "ann", "/Applications/Notes.app/Contents/MacOS/Notes", "Notes", 0, 0});
    return group;
}

Explanation explanation(std::vector<FixID> fixes, std::optional<std::string> idleNote = std::nullopt)
{
    Explanation e;
    e.title = "Notes";
    e.verdict = Verdict::safe;
    e.fixes = std::move(fixes);
    e.idleNote = std::move(idleNote);
    e.symbol = "note.text";
    return e;
}

} // namespace

TEST(ProcessRowModel, SubtitleCountsHelpersAndKeepsThePluralWord)
{
    const auto e = explanation({});
    EXPECT_EQ(rowSubtitle(e, groupWith(1)), "Notes");
    EXPECT_EQ(rowSubtitle(e, groupWith(2)), "Notes \u00B7 1 helpers");
    EXPECT_EQ(rowSubtitle(e, groupWith(13)), "Notes \u00B7 12 helpers");
    EXPECT_EQ(rowSubtitle(std::nullopt, groupWith(3)), " \u00B7 2 helpers");
    EXPECT_EQ(rowSubtitle(std::nullopt, groupWith(1)), "");
}

TEST(ProcessRowModel, ActionPrefersQuitForQuittableGroupsThenTheIdleNote)
{
    using Kind = RowAction::Kind;
    EXPECT_EQ(rowAction(std::nullopt, groupWith(1)).kind, Kind::none);
    EXPECT_EQ(rowAction(explanation({FixID::quitApp}, "Idle"), groupWith(1)).kind, Kind::quit);
    EXPECT_EQ(rowAction(explanation({FixID::quitApp}, "Idle"), groupWith(1, false)), (RowAction{Kind::note, "Idle"}));
    EXPECT_EQ(rowAction(explanation({FixID::quitApp}), groupWith(1, false)).kind, Kind::none);
    EXPECT_EQ(rowAction(explanation({FixID::openSpotlightSettings}), groupWith(1)).kind, Kind::none);
}

TEST(ProcessRowModel, CpuTextUsesOneDecimalAndTheUnroundedValueForItsColour)
{
    EXPECT_EQ(cpuText(79.99), "80.0%");
    EXPECT_EQ(cpuTone(79.99), ColorRole::text);
    EXPECT_EQ(cpuText(80.0), "80.0%");
    EXPECT_EQ(cpuTone(80.0), ColorRole::amber);
    EXPECT_EQ(cpuText(250), "250.0%");
    EXPECT_EQ(cpuText(12.34), "12.3%");
}

TEST(ProcessRowModel, MissingExplanationLeavesGearIconAndEmptyCells)
{
    auto group = groupWith(2);
    group.cpuPercent = 5;
    group.memoryBytes = 1024 * 1024;
    const auto row = processRow(group, std::nullopt);
    EXPECT_EQ(row.symbol, "gearshape");
    EXPECT_EQ(row.name, "Notes");
    EXPECT_FALSE(row.verdict);
    EXPECT_EQ(row.action.kind, RowAction::Kind::none);
    EXPECT_EQ(row.memory, "1 MB");

    const auto known = processRow(group, explanation({FixID::quitApp}));
    EXPECT_EQ(known.symbol, "note.text");
    EXPECT_EQ(known.verdict, Verdict::safe);
}

TEST(ProcessColumnsModel, TheActionColumnGivesTheNameColumnWhatItLacksOfItsFloor)
{
    // Margins, icon, verdict, CPU, memory and the gaps take 394 of a line besides the
    // action's 170, so a 704-wide line leaves the name exactly its 140.
    const std::vector<std::pair<int, int>> widths{
        {1200, 170}, {704, 170}, {703, 169}, {674, 140}, {634, 100}, {600, 100}, {0, 100}};
    for (const auto& [line, action] : widths)
        EXPECT_EQ(actionColumnWidth(line), action) << line;
}
