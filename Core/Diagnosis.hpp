#pragma once

#include "Core/Date.hpp"
#include "Core/Finding.hpp"
#include "Core/ProcessCatalog.hpp"
#include "Core/ProcessGroup.hpp"
#include "Core/SystemSignals.hpp"

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace corvane {

// What the rules read on one tick.
struct DiagnosisInput {
    SystemSignals signals;
    std::vector<ProcessGroup> groups;         // caller's order; "first" below means first here
    std::optional<Date> spotlightBusySince;   // since when Spotlight has been busy without a break
    bool lowPowerMode = false;
    std::optional<std::string> stuckApp;      // display name of an app that survived a force quit
    Date now;
};

// The rules that turn one tick into a status and plain-language causes.
namespace Diagnosis {

// Process names of the search indexer.
const std::unordered_set<std::string>& spotlightFamily();
// Process names of the photo library analysers.
const std::unordered_set<std::string>& photosFamily();
// Display names of apps that run virtual machines.
const std::unordered_set<std::string>& vmHosts();

// Runs every rule; the same input always gives the same result.
DiagnosisResult run(const DiagnosisInput& input, const ProcessCatalog& catalog);

// Whether some group's display name is exactly `app`.
bool isRunning(const std::string& app, const std::vector<ProcessGroup>& groups);

// Whether the group is a browser whose tabs can be reviewed (browserFromAppPath).
bool isBrowser(const ProcessGroup& group);

} // namespace Diagnosis
} // namespace corvane
