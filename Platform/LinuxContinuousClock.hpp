#pragma once

#include "Core/ContinuousClock.hpp"

namespace corvane {

// CLOCK_BOOTTIME: monotonic, and it keeps counting through suspend.
class LinuxContinuousClock final : public ContinuousClock {
public:
    Duration now() override;
    void sleep(Duration duration) override;
};

} // namespace corvane
