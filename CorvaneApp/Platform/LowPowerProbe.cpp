#include "CorvaneApp/Platform/LowPowerProbe.hpp"

#include "Platform/LowPowerMode.hpp"

namespace corvane {

LowPowerProbe::LowPowerProbe(std::function<bool()> read) : read_(std::move(read)) {}

std::function<bool()> LowPowerProbe::defaultRead()
{
    return [] { return Platform::lowPowerModeEnabled(); };
}

} // namespace corvane
