#pragma once

#include <algorithm>
#include <functional>
#include <vector>

namespace corvane {

enum class InterfaceType { wifi, wiredEthernet, other };

// The network path the system currently uses.
struct NetworkPath {
    bool satisfied = false;  // traffic can flow
    std::vector<InterfaceType> interfaceTypes;

    bool usesInterfaceType(InterfaceType type) const
    {
        return std::find(interfaceTypes.begin(), interfaceTypes.end(), type) != interfaceTypes.end();
    }
};

// Watches the current network path and reports it to its handler.
class PathMonitor {
public:
    virtual ~PathMonitor() = default;

    // Called with every report, perhaps on another thread and perhaps more than once.
    std::function<void(const NetworkPath&)> pathUpdateHandler;

    // Begins watching; the current path is reported right after.
    virtual void start() = 0;
    // Stops all further reports.
    virtual void cancel() = 0;
};

} // namespace corvane
