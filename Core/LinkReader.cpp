#include "Core/LinkReader.hpp"

#include "Core/OnceFlag.hpp"
#include "Platform/RoutePathMonitor.hpp"
#include "Platform/WirelessInterface.hpp"

#include <future>
#include <memory>

namespace corvane::LinkReader {
namespace {

WiFiBand bandOf(std::optional<int> channelBand)
{
    switch (channelBand.value_or(0)) {
    case 1: return WiFiBand::ghz2_4;
    case 2: return WiFiBand::ghz5;
    case 3: return WiFiBand::ghz6;
    default: return WiFiBand::unknown;
    }
}

// Wi-Fi wins over Ethernet when a path uses both.
LinkType classify(const NetworkPath& path)
{
    if (!path.satisfied)
        return LinkType::offline;
    if (path.usesInterfaceType(InterfaceType::wifi))
        return LinkType::wifi;
    if (path.usesInterfaceType(InterfaceType::wiredEthernet))
        return LinkType::ethernet;
    return LinkType::other;
}

} // namespace

std::optional<WiFiLink> wifi()
{
    const auto interface = WirelessInterface::first();
    if (!interface)
        return std::nullopt;
    return wifi(*interface);
}

std::optional<WiFiLink> wifi(WiFiInterface& interface)
{
    // One reading serves both the association test and the value: a second reading
    // could find the link gone and report a signal of 0 as if it were associated.
    const int rssi = interface.rssiValue();
    if (rssi == 0)
        return std::nullopt;
    const WiFiBand band = bandOf(interface.channelBand());
    return WiFiLink{rssi, interface.noiseMeasurement(), interface.transmitRate(), band};
}

LinkType currentType()
{
    RoutePathMonitor monitor;
    return currentType(monitor);
}

LinkType currentType(PathMonitor& monitor)
{
    auto flag = std::make_shared<OnceFlag>();
    auto answer = std::make_shared<std::promise<LinkType>>();
    auto type = answer->get_future();
    monitor.pathUpdateHandler = [flag, answer, &monitor](const NetworkPath& path) {
        if (!flag->claim())
            return;
        monitor.cancel();
        answer->set_value(classify(path));
    };
    monitor.start();
    return type.get();
}

} // namespace corvane::LinkReader
