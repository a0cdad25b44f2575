#include "CorvaneApp/OverviewModel.hpp"

#include "Core/Format.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace std::chrono_literals;

namespace {

const Date now = Date{} + 1'000'000s;

ProcessGroup app(const std::string& name, double cpu = 0)
{
    const std::string path = "/Applications/" + name + ".app";
    return {path, name, path, {{1, 1, 501, "ann", path + "/Contents/MacOS/" + name, name, cpu, 0}}, cpu, 0, true};
}

Finding finding(FindingKind kind, Severity severity, std::optional<std::string> group = std::nullopt,
                std::optional<FixID> fix = std::nullopt, std::optional<std::string> note = std::nullopt)
{
    return Finding(kind, severity, "Headline " + toString(kind), "Detail", group, fix, note);
}

std::vector<std::pair<FixID, bool>> fixesOf(const std::vector<CauseAction>& buttons)
{
    std::vector<std::pair<FixID, bool>> fixes;
    for (const auto& button : buttons) {
        EXPECT_EQ(button.kind, CauseAction::Kind::fix);
        fixes.emplace_back(button.fix, button.prominent);
    }
    return fixes;
}

} // namespace

TEST(OverviewHero, ChecksUntilTheFirstTickThenSaysSmoothWithoutFindings)
{
    const auto checking = heroCard(DiagnosisResult{}, std::nullopt, {});
    EXPECT_EQ(checking.body, HeroModel::Body::checking);
    EXPECT_EQ(checking.headline, "Checking your Mac\u2026");
    EXPECT_EQ(checking.symbol, "checkmark.seal");
    EXPECT_EQ(checking.iconTone, ColorRole::green);
    EXPECT_EQ(checking.squareTone, ColorRole::greenBG);
    EXPECT_EQ(checking.pillStatus, Status::quiet);

    // A finished check that found something still reads "Checking" until one has finished.
    const DiagnosisResult busy({finding(FindingKind::longUptime, Severity::low)});
    EXPECT_EQ(heroCard(busy, std::nullopt, {}).pillStatus, Status::quiet);
    EXPECT_EQ(heroCard(busy, std::nullopt, {}).body, HeroModel::Body::checking);

    const auto smooth = heroCard(DiagnosisResult{}, now, {});
    EXPECT_EQ(smooth.body, HeroModel::Body::smooth);
    EXPECT_EQ(smooth.headline, "Your Mac is running smoothly.");
    EXPECT_EQ(smooth.detail, "Nothing is slowing your Mac down right now.");
    EXPECT_TRUE(smooth.buttons.empty());
    EXPECT_TRUE(smooth.more.empty());
}

TEST(OverviewHero, ButtonsFollowTheGroupAndThePrimaryFix)
{
    const auto notes = app("Notes");
    const std::vector<ProcessGroup> groups{notes};
    using Fixes = std::vector<std::pair<FixID, bool>>;

    auto hero = finding(FindingKind::cpuHog, Severity::high, notes.id, FixID::quitApp);
    EXPECT_EQ(fixesOf(heroButtons(hero, notes)), (Fixes{{FixID::explain, true}, {FixID::quitApp, false}}));
    EXPECT_EQ(fixesOf(heroButtons(hero, std::nullopt)), (Fixes{{FixID::quitApp, false}}));

    hero.primaryFix = FixID::explain;
    EXPECT_EQ(fixesOf(heroButtons(hero, notes)), (Fixes{{FixID::explain, true}}));
    EXPECT_EQ(fixesOf(heroButtons(hero, std::nullopt)), (Fixes{{FixID::explain, true}}));

    hero.primaryFix.reset();
    EXPECT_EQ(fixesOf(heroButtons(hero, notes)), (Fixes{{FixID::explain, true}}));
    EXPECT_TRUE(heroButtons(hero, std::nullopt).empty());

    hero.leaveNote = "Leave it";
    const auto withNote = heroButtons(hero, notes);
    ASSERT_EQ(withNote.size(), 2u);
    EXPECT_EQ(withNote[1].kind, CauseAction::Kind::note);
    EXPECT_EQ(withNote[1].note, "Leave it");

    // The buttons carry the group they act on.
    EXPECT_EQ(withNote[0].group, notes);

    // A heat hero with only a note, and a low-disk hero with a fix but no group.
    const DiagnosisResult heat({finding(FindingKind::heat, Severity::high, std::nullopt, std::nullopt, "Leave it")});
    const auto heatCard = heroCard(heat, now, groups);
    ASSERT_EQ(heatCard.buttons.size(), 1u);
    EXPECT_EQ(heatCard.buttons[0].kind, CauseAction::Kind::note);
    EXPECT_EQ(heatCard.symbol, "thermometer.medium");
    const DiagnosisResult disk({finding(FindingKind::lowDisk, Severity::medium, std::nullopt, FixID::openFerncourt)});
    EXPECT_EQ(fixesOf(heroCard(disk, now, groups).buttons), (Fixes{{FixID::openFerncourt, false}}));
}

TEST(OverviewHero, AGoneGroupKeepsTheFixButtonWithoutGroupOrExplain)
{
    const DiagnosisResult result({finding(FindingKind::cpuHog, Severity::high, "/Applications/Gone.app", FixID::quitApp)});
    const auto card = heroCard(result, now, {app("Notes")});
    ASSERT_EQ(card.buttons.size(), 1u);
    EXPECT_EQ(card.buttons[0].fix, FixID::quitApp);
    EXPECT_FALSE(card.buttons[0].group);
}

TEST(OverviewHero, IconColourFollowsStatusAndCauseDotsFollowTheirSeverity)
{
    const DiagnosisResult lowOnly({finding(FindingKind::longUptime, Severity::low)});
    const auto busy = heroCard(lowOnly, now, {});
    EXPECT_EQ(busy.iconTone, ColorRole::amber);
    EXPECT_EQ(busy.squareTone, ColorRole::amberBG);
    EXPECT_EQ(busy.pillStatus, Status::busy);
    EXPECT_EQ(busy.symbol, "clock.arrow.circlepath");

    const auto notes = app("Notes");
    const DiagnosisResult mixed({
        finding(FindingKind::heat, Severity::critical),
        finding(FindingKind::memory, Severity::high, notes.id, FixID::quitApp),
        finding(FindingKind::lowDisk, Severity::medium, std::nullopt, std::nullopt, "Later"),
        finding(FindingKind::longUptime, Severity::low),
    });
    const auto card = heroCard(mixed, now, {notes});
    EXPECT_EQ(card.iconTone, ColorRole::red);
    EXPECT_EQ(card.squareTone, ColorRole::redBG);
    ASSERT_EQ(card.more.size(), 3u);
    EXPECT_EQ(card.more[0].id, "memory:" + notes.id);
    EXPECT_EQ(card.more[0].dot, ColorRole::red);
    ASSERT_TRUE(card.more[0].action);
    EXPECT_EQ(card.more[0].action->fix, FixID::quitApp);
    EXPECT_FALSE(card.more[0].action->prominent);
    EXPECT_EQ(card.more[0].action->group, notes);
    EXPECT_EQ(card.more[1].dot, ColorRole::amber);
    EXPECT_EQ(card.more[1].action->kind, CauseAction::Kind::note);
    EXPECT_EQ(card.more[1].action->note, "Later");
    EXPECT_EQ(card.more[2].dot, ColorRole::amber);
    EXPECT_FALSE(card.more[2].action);
}

TEST(OverviewHero, ListsAtMostFourOtherCausesWithACountedLabel)
{
    std::vector<Finding> seven;
    for (int i = 0; i < 7; ++i)
        seven.push_back(finding(allCases<FindingKind>()[static_cast<std::size_t>(i)], Severity::low));
    const auto card = heroCard(DiagnosisResult(seven), now, {});
    EXPECT_EQ(card.moreLabel, "And 4 more causes");
    EXPECT_EQ(card.more.size(), 4u);

    const auto two = heroCard(DiagnosisResult({seven[0], seven[1]}), now, {});
    EXPECT_EQ(two.moreLabel, "And 1 more cause");
    EXPECT_TRUE(heroCard(DiagnosisResult({seven[0]}), now, {}).moreLabel.empty());
}

TEST(OverviewSignals, RoundsLoadHalfAwayAndColoursPressureAndHeat)
{
    SystemSignals s;
    s.memoryTotalBytes = 16LL << 30;
    using Shown = std::vector<std::pair<double, std::string>>;
    for (const auto& [load, shown] : Shown{{49.5, "50%"}, {0.4, "0%"}, {100, "100%"}}) {
        s.cpuLoadPercent = load;
        EXPECT_EQ(signalTiles(s)[0].value, shown) << load;
    }

    s.pressure = Pressure::critical;
    s.thermal = Thermal::warm;
    auto tiles = signalTiles(s);
    EXPECT_EQ(tiles[1].value, "Critical");
    EXPECT_EQ(tiles[1].valueTone, ColorRole::red);
    EXPECT_EQ(tiles[1].note, Format::bytes(16LL << 30) + " installed");
    EXPECT_EQ(tiles[2].value, "Warm");
    EXPECT_EQ(tiles[2].valueTone, ColorRole::amber);
    EXPECT_EQ(tiles[2].note, "macOS reports elevated heat");

    s.pressure = Pressure::elevated;
    s.thermal = Thermal::normal;
    tiles = signalTiles(s);
    EXPECT_EQ(tiles[1].valueTone, ColorRole::amber);
    EXPECT_EQ(tiles[2].value, "Normal");
    EXPECT_EQ(tiles[2].valueTone, ColorRole::green);
    EXPECT_EQ(tiles[2].note, "Running at full speed");
    s.thermal = Thermal::veryHot;
    EXPECT_EQ(signalTiles(s)[2].value, "Very hot");
    EXPECT_EQ(signalTiles(s)[2].valueTone, ColorRole::red);
}

TEST(OverviewTopTable, TakesTheFirstFiveInMonitorOrder)
{
    std::vector<ProcessGroup> groups;
    for (int i = 0; i < 12; ++i)
        groups.push_back(app("App" + std::to_string(i), 50 - i));
    const auto top = topGroups(groups);
    ASSERT_EQ(top.size(), 5u);
    EXPECT_EQ(top[4].displayName, "App4");
    EXPECT_EQ(topGroups({groups.begin(), groups.begin() + 3}).size(), 3u);
    EXPECT_TRUE(topGroups({}).empty());
}
