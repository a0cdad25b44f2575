#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The machine's thermal state from the kernel's thermal zones, on the platform's
// scale: 0 nominal, 1 fair, 2 serious, 3 critical.
namespace corvane::ThermalZones {

struct TripPoint {
    std::string type;  // "critical", "hot", "passive", "active"
    int64_t milliCelsius = 0;
};

struct Zone {
    int64_t milliCelsius = 0;
    std::vector<TripPoint> trips;
};

// 3 within 5 °C of the critical trip, 2 at or above the hot trip, 1 at or above the
// lowest passive trip, else 0. Trips at or below 0 °C are placeholders of drivers
// that have no such trip and are passed over.
int zoneState(const Zone& zone);

// The highest state over the zones under root/sys/class/thermal; 0 when there are none.
int state(const std::filesystem::path& root = "/");

} // namespace corvane::ThermalZones
