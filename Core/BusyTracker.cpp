#include "Core/BusyTracker.hpp"

namespace corvane {
namespace {

constexpr double busyLevel = 50.0;  // percent of one core

} // namespace

std::optional<Date> BusyTracker::update(double spotlightCPU, Date now)
{
    if (spotlightCPU >= busyLevel) {
        if (!busySince)
            busySince = now;
    } else {
        busySince.reset();
    }
    return busySince;
}

} // namespace corvane
