#include "CorvaneApp/OverviewModel.hpp"

#include "Core/Format.hpp"
#include "Core/Numbers.hpp"
#include "CorvaneApp/Components.hpp"

#include <algorithm>

namespace corvane {

namespace {

CauseAction fixAction(FixID fix, const std::optional<ProcessGroup>& group, bool prominent)
{
    return {CauseAction::Kind::fix, fix, group, prominent, {}};
}

CauseAction notePill(const std::string& note)
{
    return {CauseAction::Kind::note, FixID::explain, std::nullopt, false, note};
}

} // namespace

ColorRole thermalTone(Thermal thermal)
{
    switch (thermal) {
    case Thermal::normal: return ColorRole::green;
    case Thermal::warm: return ColorRole::amber;
    case Thermal::hot:
    case Thermal::veryHot: return ColorRole::red;
    }
    return ColorRole::green;
}

std::optional<ProcessGroup> groupWithID(const std::vector<ProcessGroup>& groups,
                                        const std::optional<std::string>& id)
{
    if (!id)
        return std::nullopt;
    const auto found = std::find_if(groups.begin(), groups.end(),
                                    [&](const ProcessGroup& group) { return group.id == *id; });
    return found == groups.end() ? std::nullopt : std::optional<ProcessGroup>(*found);
}

std::vector<CauseAction> heroButtons(const Finding& hero, const std::optional<ProcessGroup>& group)
{
    std::vector<CauseAction> buttons;
    if (group && hero.primaryFix != FixID::explain)
        buttons.push_back(fixAction(FixID::explain, group, true));
    if (hero.primaryFix)
        buttons.push_back(fixAction(*hero.primaryFix, group, *hero.primaryFix == FixID::explain));
    else if (hero.leaveNote)
        buttons.push_back(notePill(*hero.leaveNote));
    return buttons;
}

std::string moreCausesLabel(std::size_t count)
{
    return "And " + Numbers::toText(count) + " more " + (count == 1 ? "cause" : "causes");
}

HeroModel heroCard(const DiagnosisResult& result, std::optional<Date> lastChecked,
                   const std::vector<ProcessGroup>& groups)
{
    HeroModel card;
    const auto hero = result.hero();
    card.symbol = hero ? symbol(hero->kind) : "checkmark.seal";
    switch (result.status) {
    case Status::quiet: card.iconTone = ColorRole::green; card.squareTone = ColorRole::greenBG; break;
    case Status::busy: card.iconTone = ColorRole::amber; card.squareTone = ColorRole::amberBG; break;
    case Status::struggling: card.iconTone = ColorRole::red; card.squareTone = ColorRole::redBG; break;
    }
    card.pillStatus = lastChecked ? result.status : Status::quiet;

    if (!lastChecked) {
        card.body = HeroModel::Body::checking;
        card.headline = "Checking your Mac\u2026";
        return card;
    }
    if (!hero) {
        card.body = HeroModel::Body::smooth;
        card.headline = "Your Mac is running smoothly.";
        card.detail = "Nothing is slowing your Mac down right now.";
        return card;
    }
    card.body = HeroModel::Body::finding;
    card.headline = hero->headline;
    card.detail = hero->detail;
    card.buttons = heroButtons(*hero, groupWithID(groups, hero->groupID));
    const auto more = result.more();
    if (!more.empty())
        card.moreLabel = moreCausesLabel(more.size());
    for (const auto& finding : more) {
        CauseLine line{finding.id,
                       finding.severity >= Severity::high ? ColorRole::red : ColorRole::amber,
                       finding.headline,
                       std::nullopt};
        if (finding.primaryFix)
            line.action = fixAction(*finding.primaryFix, groupWithID(groups, finding.groupID), false);
        else if (finding.leaveNote)
            line.action = notePill(*finding.leaveNote);
        card.more.push_back(std::move(line));
    }
    return card;
}

std::array<SignalTile, 3> signalTiles(const std::optional<SystemSignals>& signals)
{
    std::array<SignalTile, 3> tiles{{
        {"CPU load", "cpu", "\u2014", ColorRole::text, "Across all CPU cores"},
        {"Memory pressure", "memorychip", "\u2014", ColorRole::text, ""},
        {"Thermal state", "thermometer.medium", "\u2014", ColorRole::text, ""},
    }};
    if (!signals)
        return tiles;

    tiles[0].value = Format::percent(signals->cpuLoadPercent);

    tiles[1].value = label(signals->pressure);
    switch (signals->pressure) {
    case Pressure::normal: tiles[1].valueTone = ColorRole::green; break;
    case Pressure::elevated: tiles[1].valueTone = ColorRole::amber; break;
    case Pressure::critical: tiles[1].valueTone = ColorRole::red; break;
    }
    tiles[1].note = Format::bytes(signals->memoryTotalBytes) + " installed";

    tiles[2].value = label(signals->thermal);
    tiles[2].valueTone = thermalTone(signals->thermal);
    tiles[2].note = signals->thermal == Thermal::normal ? "Running at full speed" : "macOS reports elevated heat";
    return tiles;
}

std::vector<ProcessGroup> topGroups(const std::vector<ProcessGroup>& groups)
{
    return {groups.begin(), groups.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(groups.size(), 5))};
}

} // namespace corvane
