#pragma once

#include "Core/PathMonitor.hpp"

#include <filesystem>

namespace corvane {

// The current path on Linux: the default route with the lowest metric in the IPv4 and
// IPv6 route tables, over an interface that is up. Wi-Fi when the interface has a
// wireless folder, wired Ethernet when it is a physical Ethernet device, else other.
class RoutePathMonitor : public PathMonitor {
public:
    explicit RoutePathMonitor(std::filesystem::path procRoot = "/proc", std::filesystem::path sysRoot = "/sys");

    // Reports the current path once, at once, on the calling thread; never after cancel().
    void start() override;
    void cancel() override;

private:
    std::filesystem::path procRoot_;
    std::filesystem::path sysRoot_;
    bool finished_ = false;
};

} // namespace corvane
