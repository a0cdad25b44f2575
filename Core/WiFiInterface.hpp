#pragma once

#include <optional>

namespace corvane {

// The system's default Wi-Fi interface. Each call asks the hardware afresh.
class WiFiInterface {
public:
    virtual ~WiFiInterface() = default;

    // Signal in dBm; 0 when Wi-Fi is off or not associated.
    virtual int rssiValue() = 0;
    // Noise in dBm; 0 when the hardware gives none.
    virtual int noiseMeasurement() = 0;
    // Transmit rate in Mbps.
    virtual double transmitRate() = 0;
    // The current channel's band: 0 unknown, 1 2.4 GHz, 2 5 GHz, 3 6 GHz; nothing without a channel.
    virtual std::optional<int> channelBand() = 0;
};

} // namespace corvane
