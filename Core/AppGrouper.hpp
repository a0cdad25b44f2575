#pragma once

#include "Core/InstalledApps.hpp"
#include "Core/ProcessGroup.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::AppGrouper {

// Folds one tick's processes into app groups, busiest first. A process outside any
// bundle joins the installed app `apps` says it belongs to, if any.
std::vector<ProcessGroup> group(const std::vector<ProcessUsage>& usage, uint32_t currentUID,
                                const InstalledApps* apps = nullptr);

// The outermost ".app" bundle holding an executable path, or nothing.
std::optional<std::string> outermostApp(std::string_view path);

} // namespace corvane::AppGrouper
