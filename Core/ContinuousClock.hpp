#pragma once

#include <chrono>

namespace corvane {

// A monotonic clock that keeps counting while the machine sleeps, with a pause on it.
class ContinuousClock {
public:
    using Duration = std::chrono::nanoseconds;

    virtual ~ContinuousClock() = default;
    // Time since an arbitrary fixed start.
    virtual Duration now() = 0;
    // Pauses about `duration`; may end early.
    virtual void sleep(Duration duration) = 0;
};

} // namespace corvane
