#include "Platform/ThermalZones.hpp"

#include "Core/Numbers.hpp"
#include "Platform/SysFS.hpp"

#include <algorithm>
#include <optional>

namespace fs = std::filesystem;

namespace corvane::ThermalZones {

namespace {

std::optional<int64_t> readMilliCelsius(const fs::path& file)
{
    const auto text = SysFS::readValue(file);
    return text ? Numbers::parseInt<int64_t>(*text) : std::nullopt;
}

// The lowest usable trip of one type.
std::optional<int64_t> lowestTrip(const Zone& zone, std::string_view type)
{
    std::optional<int64_t> lowest;
    for (const auto& trip : zone.trips) {
        if (trip.type == type && trip.milliCelsius > 0 && (!lowest || trip.milliCelsius < *lowest))
            lowest = trip.milliCelsius;
    }
    return lowest;
}

std::optional<Zone> readZone(const fs::path& folder)
{
    const auto temperature = readMilliCelsius(folder / "temp");
    if (!temperature)
        return std::nullopt;
    Zone zone{*temperature, {}};
    for (int index = 0;; ++index) {
        const std::string prefix = "trip_point_" + Numbers::toText(index);
        const auto type = SysFS::readValue(folder / (prefix + "_type"));
        if (!type)
            break;
        if (const auto limit = readMilliCelsius(folder / (prefix + "_temp")))
            zone.trips.push_back({*type, *limit});
    }
    return zone;
}

} // namespace

int zoneState(const Zone& zone)
{
    const auto critical = lowestTrip(zone, "critical");
    if (critical && zone.milliCelsius >= *critical - 5000)
        return 3;
    const auto hot = lowestTrip(zone, "hot");
    if (hot && zone.milliCelsius >= *hot)
        return 2;
    const auto passive = lowestTrip(zone, "passive");
    if (passive && zone.milliCelsius >= *passive)
        return 1;
    return 0;
}

int state(const fs::path& root)
{
    int highest = 0;
    for (const auto& folder : SysFS::entries(root / "sys/class/thermal")) {
        if (!folder.filename().string().starts_with("thermal_zone"))
            continue;
        if (const auto zone = readZone(folder))
            highest = std::max(highest, zoneState(*zone));
    }
    return highest;
}

} // namespace corvane::ThermalZones
