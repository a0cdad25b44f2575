#include "Core/SamplingPolicy.hpp"

namespace corvane::SamplingPolicy {

std::chrono::seconds interval(bool windowVisible, bool menuOpen, bool lowPower)
{
    using namespace std::chrono_literals;
    if (windowVisible || menuOpen)
        return 3s;
    return lowPower ? 60s : 30s;
}

} // namespace corvane::SamplingPolicy
