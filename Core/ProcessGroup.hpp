#pragma once

#include "Core/ProcessSource.hpp"

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
    std::string appScope{};  // as the sample says
    double startTime = 0;
    SharedText arguments{};  // as the sample says
    bool terminal = false;   // as the sample says

    bool operator==(const ProcessUsage&) const = default;
};

// What a group's appPath names.
enum class AppKind {
    bundle,        // an app bundle
    installedApp,  // an installed app a person starts and works in (InstalledApp::regular)
    sessionPart,   // another installed app: a part of the session, a program run in a terminal
};

// The processes of one app, or one lone process.
struct ProcessGroup {
    // The outermost bundle path or an installed app's root ("uid:<uid>:" before it for
    // another user's processes), or "pid:" + pid.
    std::string id;
    std::string displayName;
    std::optional<std::string> appPath;  // the bundle path or the installed app's root; absent for a lone process
    std::vector<ProcessUsage> members;  // listing order; never empty when built by AppGrouper
    double cpuPercent = 0;
    int64_t memoryBytes = 0;
    bool quittable = false;
    std::string program{};  // an installed app's program, which its primary process runs; else empty
    AppKind appKind = AppKind::bundle;  // what appPath names, when there is one

    // Members beyond the primary one; 0 for an empty group.
    int helperCount() const;

    // The bundle's main executable, else the earliest started member running the
    // app's program (the earliest listed on a tie), else the busiest member (the
    // earliest listed on a tie). An empty group answers an empty ProcessUsage.
    ProcessUsage primary() const;

    bool operator==(const ProcessGroup&) const = default;
};

} // namespace corvane
