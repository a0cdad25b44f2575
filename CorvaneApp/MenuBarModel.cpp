#include "CorvaneApp/MenuBarModel.hpp"

#include "Core/Format.hpp"
#include "Core/Numbers.hpp"
#include "Core/Utf8.hpp"
#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/LiveBadgeModel.hpp"
#include "CorvaneApp/Monitor.hpp"

#include <algorithm>

namespace corvane {

namespace {

constexpr std::size_t shownApps = 3;

} // namespace

MenuBarModel menuBarModel(const Monitor& monitor)
{
    const DiagnosisResult& result = monitor.result();
    const std::vector<ProcessGroup>& groups = monitor.groups();
    MenuBarModel model;
    if (!monitor.catalog()) {
        model.status = std::nullopt;
        model.headline = catalogFailedText;
        return model;
    }
    model.status = result.status;
    const std::optional<Finding> hero = result.hero();
    model.headline = hero ? hero->headline : "Your Mac is running smoothly.";
    for (std::size_t i = 0; i < std::min(groups.size(), shownApps); ++i)
        model.rows.push_back(
            {groups[i].id, Utf8::nameForDisplay(groups[i].displayName), Format::percent(groups[i].cpuPercent)});
    if (hero && hero->primaryFix && *hero->primaryFix != FixID::explain) {
        const auto group = monitor.group(hero->groupID);
        model.heroFix = HeroFix{*hero->primaryFix, hero->groupID,
                                title(*hero->primaryFix, group ? &*group : nullptr),
                                symbol(*hero->primaryFix)};
    }
    return model;
}

std::string liveDotText(const std::optional<Date>& lastChecked, Date now)
{
    if (!lastChecked)
        return "checking\u2026";
    return "checked " + Numbers::toText(secondsSinceCheck(*lastChecked, now)) + "s ago";
}

} // namespace corvane
