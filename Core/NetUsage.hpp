#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// One process's network traffic.
struct NetUsage {
    int32_t pid = 0;
    std::string name;  // as the traffic tool prints it
    double bytesInPerSec = 0;
    double bytesOutPerSec = 0;

    double total() const { return bytesInPerSec + bytesOutPerSec; }

    bool operator==(const NetUsage&) const = default;
};

} // namespace corvane
