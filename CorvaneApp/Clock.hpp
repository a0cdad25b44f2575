#pragma once

#include "Core/Date.hpp"

namespace corvane {

// The wall clock, behind a seam so tests run on virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Date now() const = 0;
};

// The system's wall clock.
class SystemClock final : public Clock {
public:
    Date now() const override;
};

} // namespace corvane
