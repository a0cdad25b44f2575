#pragma once

#include <chrono>

namespace corvane {

// A moment in time, as the rest of the system speaks of it.
using Date = std::chrono::system_clock::time_point;

// Seconds between two moments, as a double. The clock counts nanoseconds in 64 bits, so
// moments some 292 years apart have no difference in its own count; theirs is taken in
// seconds instead, where whole seconds are all that matter.
inline double secondsBetween(Date from, Date to)
{
    Date::rep ticks = 0;
    if (!__builtin_sub_overflow(to.time_since_epoch().count(), from.time_since_epoch().count(), &ticks))
        return std::chrono::duration<double>(Date::duration(ticks)).count();
    using Seconds = std::chrono::duration<double>;
    return Seconds(to.time_since_epoch()).count() - Seconds(from.time_since_epoch()).count();
}

} // namespace corvane
