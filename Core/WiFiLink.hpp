#pragma once

#include <optional>
#include <string>

namespace corvane {

enum class WiFiBand { ghz2_4, ghz5, ghz6, unknown };

// "2.4 GHz", "5 GHz", "6 GHz", "Unknown band".
std::string label(WiFiBand band);

// How good a Wi-Fi signal is, ordered by raw value.
enum class SignalQuality : int { poor = 0, fair = 1, good = 2, excellent = 3 };

// The quality with that raw value (0...3), or nothing.
std::optional<SignalQuality> signalQualityFromRaw(int raw);

// Grades a signal in dBm: -60 or more excellent, down to -70 good, down to -80 fair, below poor.
SignalQuality signalQuality(int rssi);

// "Poor", "Fair", "Good", "Excellent".
std::string label(SignalQuality quality);

// The associated Wi-Fi link.
struct WiFiLink {
    int rssi = 0;   // dBm
    int noise = 0;  // dBm
    double transmitRateMbps = 0;
    WiFiBand band = WiFiBand::unknown;

    SignalQuality quality() const { return signalQuality(rssi); }

    bool operator==(const WiFiLink&) const = default;
};

} // namespace corvane
