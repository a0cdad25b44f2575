#include "Platform/RoutePathMonitor.hpp"

#include "Core/Files.hpp"
#include "Core/Numbers.hpp"
#include "Core/Text.hpp"
#include "Platform/SysFS.hpp"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace corvane {
namespace {

constexpr uint32_t routeUp = 0x0001;
constexpr uint32_t routeReject = 0x0200;
constexpr std::string_view ethernetDeviceType = "1";  // ARPHRD_ETHER
constexpr std::string_view anyIPv4 = "00000000";
constexpr std::string_view anyIPv6 = "00000000000000000000000000000000";

struct DefaultRoute {
    std::string interface;
    uint32_t metric = 0;
};

std::optional<uint32_t> parseHex(std::string_view text)
{
    uint32_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, 16);
    if (text.empty() || ec != std::errc{} || ptr != end)
        return std::nullopt;
    return value;
}

bool usable(std::optional<uint32_t> flags)
{
    return flags && (*flags & routeUp) && !(*flags & routeReject);
}

void keepLowest(std::optional<DefaultRoute>& best, DefaultRoute candidate)
{
    if (!best || candidate.metric < best->metric)
        best = std::move(candidate);
}

// /proc/net/route: tab-separated Iface, Destination, Gateway, Flags, RefCnt, Use, Metric, Mask ...
// after one header line; addresses and flags in hex, the metric in decimal.
void readIPv4(std::string_view text, std::optional<DefaultRoute>& best)
{
    const auto lines = Text::splitSkippingEmpty(text, '\n');
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string_view> fields;
        for (const auto field : Text::splitSkippingEmpty(lines[i], '\t'))
            fields.push_back(Text::trim(field));
        if (fields.size() < 8 || fields[1] != anyIPv4 || fields[7] != anyIPv4)
            continue;
        const auto metric = Numbers::parseInt<uint32_t>(fields[6]);
        if (usable(parseHex(fields[3])) && metric)
            keepLowest(best, {std::string(fields[0]), *metric});
    }
}

// /proc/net/ipv6_route: space-separated destination, prefix length, source, source prefix
// length, next hop, metric, reference count, use, flags, interface, all numbers in hex.
void readIPv6(std::string_view text, std::optional<DefaultRoute>& best)
{
    for (const auto line : Text::splitSkippingEmpty(text, '\n')) {
        const auto fields = Text::splitSkippingEmpty(Text::trim(line), ' ');
        if (fields.size() < 10 || fields[0] != anyIPv6 || fields[1] != "00")
            continue;
        const auto metric = parseHex(fields[5]);
        if (usable(parseHex(fields[8])) && metric)
            keepLowest(best, {std::string(fields[9]), *metric});
    }
}

bool present(const fs::path& path)
{
    std::error_code ignored;
    return fs::exists(path, ignored);
}

NetworkPath currentPath(const fs::path& procRoot, const fs::path& sysRoot)
{
    std::optional<DefaultRoute> route;
    readIPv4(Files::read(procRoot / "net/route").value_or(""), route);
    readIPv6(Files::read(procRoot / "net/ipv6_route").value_or(""), route);
    if (!route)
        return {};
    const fs::path device = sysRoot / "class/net" / route->interface;
    // Tunnels and point-to-point links report "unknown" while carrying traffic.
    const auto state = SysFS::readValue(device / "operstate");
    if (state != "up" && state != "unknown")
        return {};
    if (present(device / "wireless"))
        return {true, {InterfaceType::wifi}};
    // Bridges, veth pairs and other virtual devices are Ethernet-typed too, but have no
    // hardware device behind them.
    if (SysFS::readValue(device / "type") == ethernetDeviceType && present(device / "device"))
        return {true, {InterfaceType::wiredEthernet}};
    return {true, {InterfaceType::other}};
}

} // namespace

RoutePathMonitor::RoutePathMonitor(fs::path procRoot, fs::path sysRoot)
    : procRoot_(std::move(procRoot)), sysRoot_(std::move(sysRoot))
{
}

void RoutePathMonitor::start()
{
    if (finished_)
        return;
    finished_ = true;
    if (pathUpdateHandler)
        pathUpdateHandler(currentPath(procRoot_, sysRoot_));
}

void RoutePathMonitor::cancel()
{
    finished_ = true;
}

} // namespace corvane
