#pragma once

#include "CorvaneApp/Clock.hpp"

namespace corvane::test {

// A clock that moves only when the test says.
class VirtualClock final : public Clock {
public:
    // 2026-03-01 10:00:00 UTC, a fixed start so recorded minutes are predictable.
    static constexpr Date epoch = Date(std::chrono::seconds(1772359200));

    explicit VirtualClock(Date start = epoch) : now_(start) {}
    Date now() const override { return now_; }
    void set(Date date) { now_ = date; }
    void advance(double seconds)
    {
        now_ += std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(seconds));
    }

private:
    Date now_;
};

} // namespace corvane::test
