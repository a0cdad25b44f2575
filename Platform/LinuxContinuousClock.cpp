#include "Platform/LinuxContinuousClock.hpp"

#include <time.h>

namespace corvane {

ContinuousClock::Duration LinuxContinuousClock::now()
{
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

void LinuxContinuousClock::sleep(Duration duration)
{
    if (duration <= Duration::zero())
        return;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
    const timespec pause{static_cast<time_t>(seconds.count()), static_cast<long>((duration - seconds).count())};
    // An interrupted pause simply ends early; callers look at the clock again.
    ::clock_nanosleep(CLOCK_BOOTTIME, 0, &pause, nullptr);
}

} // namespace corvane
