#include "Core/WiFiLink.hpp"

namespace corvane {

std::string label(WiFiBand band)
{
    switch (band) {
    case WiFiBand::ghz2_4: return "2.4 GHz";
    case WiFiBand::ghz5: return "5 GHz";
    case WiFiBand::ghz6: return "6 GHz";
    case WiFiBand::unknown: break;
    }
    return "Unknown band";
}

std::optional<SignalQuality> signalQualityFromRaw(int raw)
{
    if (raw < 0 || raw > 3)
        return std::nullopt;
    return static_cast<SignalQuality>(raw);
}

SignalQuality signalQuality(int rssi)
{
    if (rssi >= -60)
        return SignalQuality::excellent;
    if (rssi >= -70)
        return SignalQuality::good;
    if (rssi >= -80)
        return SignalQuality::fair;
    return SignalQuality::poor;
}

std::string label(SignalQuality quality)
{
    switch (quality) {
    case SignalQuality::poor: return "Poor";
    case SignalQuality::fair: return "Fair";
    case SignalQuality::good: return "Good";
    case SignalQuality::excellent: return "Excellent";
    }
    return "Poor";
}

} // namespace corvane
