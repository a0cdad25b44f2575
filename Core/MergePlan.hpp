#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvane {

// What merging a profile's windows into one does.
struct MergePlan {
    std::string targetWindowID;              // receives the moved tabs and stays open
    std::vector<std::string> urls;           // reopened at the end of the target, in order
    std::vector<std::string> windowsToClose; // closed after the move, in order
    std::optional<std::string> profile;      // absent for the default profile

    bool operator==(const MergePlan&) const = default;
};

} // namespace corvane
