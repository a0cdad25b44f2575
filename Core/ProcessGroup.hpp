#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// One process with its measured rates.
struct ProcessUsage {
    int32_t pid = 0;
    int32_t ppid = 0;
    uint32_t uid = 0;
    std::string user;
    std::string path;
    std::string name;
    double cpuPercent = 0;  // percent of one core; may exceed 100
    int64_t memoryBytes = 0;

    bool operator==(const ProcessUsage&) const = default;
};

// The processes of one app, or one lone process.
struct ProcessGroup {
    std::string id;                     // outermost bundle path, or "pid:" + pid
    std::string displayName;
    std::optional<std::string> appPath;
    std::vector<ProcessUsage> members;  // listing order; never empty when built by AppGrouper
    double cpuPercent = 0;
    int64_t memoryBytes = 0;
    bool quittable = false;

    // Members beyond the primary one; 0 for an empty group.
    int helperCount() const;

    // The bundle's main executable, else the busiest member (earliest on a tie).
    // An empty group answers an empty ProcessUsage.
    ProcessUsage primary() const;

    bool operator==(const ProcessGroup&) const = default;
};

} // namespace corvane
