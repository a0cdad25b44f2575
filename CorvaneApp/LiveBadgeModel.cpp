#include "CorvaneApp/LiveBadgeModel.hpp"

#include "Core/Numbers.hpp"

#include <algorithm>
#include <limits>

namespace corvane {

std::string liveBadgeLabel(bool paused, std::optional<Date> lastChecked, Date now)
{
    if (paused)
        return "Paused";
    if (!lastChecked)
        return "Checking\u2026";
    // A clock set back reads as 0; an absurd gap stays at the largest count.
    const double elapsed = std::max(0.0, secondsBetween(*lastChecked, now));
    const int64_t seconds = Numbers::truncateTo<int64_t>(elapsed).value_or(std::numeric_limits<int64_t>::max());
    return "Live \u00B7 checked " + Numbers::toText(seconds) + "s ago";
}

LiveBadgeModel liveBadge(bool paused, std::optional<Date> lastChecked, Date now)
{
    return {liveBadgeLabel(paused, lastChecked, now), paused ? Tone::text3 : Tone::green,
            paused ? "Resume" : "Pause", paused ? "play.fill" : "pause.fill"};
}

} // namespace corvane
