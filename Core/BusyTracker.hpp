#pragma once

#include "Core/Date.hpp"

#include <optional>

namespace corvane {

// Remembers since when Spotlight has been busy without a break.
struct BusyTracker {
    std::optional<Date> busySince;  // absent while Spotlight is below the busy level

    // At 50 % CPU or more, keeps the start of the busy period (or starts one at
    // `now`); one sample below that ends it. Returns the new busySince.
    std::optional<Date> update(double spotlightCPU, Date now);

    bool operator==(const BusyTracker&) const = default;
};

} // namespace corvane
