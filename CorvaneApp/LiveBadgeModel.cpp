#include "CorvaneApp/LiveBadgeModel.hpp"

#include "Core/Numbers.hpp"

#include <algorithm>
#include <limits>

namespace corvane {

int64_t secondsSinceCheck(Date lastChecked, Date now)
{
    const double elapsed = std::max(0.0, secondsBetween(lastChecked, now));
    return Numbers::truncateTo<int64_t>(elapsed).value_or(std::numeric_limits<int64_t>::max());
}

std::string liveBadgeLabel(bool paused, std::optional<Date> lastChecked, Date now)
{
    if (paused)
        return "Paused";
    if (!lastChecked)
        return "Checking\u2026";
    return "Live \u00B7 checked " + Numbers::toText(secondsSinceCheck(*lastChecked, now)) + "s ago";
}

LiveBadgeModel liveBadge(bool paused, std::optional<Date> lastChecked, Date now)
{
    return {liveBadgeLabel(paused, lastChecked, now), paused ? ColorRole::text3 : ColorRole::green,
            paused ? "Resume" : "Pause", paused ? "play.fill" : "pause.fill"};
}

} // namespace corvane
