#pragma once

#include "Core/BackgroundItem.hpp"
#include "Core/ProcessSource.hpp"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Finds the launchd jobs and login items apps have installed, and which of them run.
// Nothing here fails: what cannot be read contributes nothing.
namespace corvane::BackgroundItemsReader {

// The items under home's Library/LaunchAgents, root's Library/LaunchAgents and
// Library/LaunchDaemons, and inside the apps of root/Applications, with no pid.
std::vector<BackgroundItem> scan(const std::filesystem::path& home, const std::filesystem::path& root);

// One launchd property list (XML or binary) as an item with no owner and no pid;
// nothing when it is no dictionary or has no text Label.
std::optional<BackgroundItem> parse(std::string_view plist, const std::string& source, ItemScope scope,
                                    const std::optional<std::string>& bundleRoot);

// The app a job belongs to: by the bundle holding its program when that lies in
// /Applications or a user's folder, else by the installed bundle identifier sharing
// most leading label components (at least two), else by the program's bundle.
// `installed` maps bundle identifiers to app names.
std::optional<std::string> ownerApp(const std::optional<std::string>& program, const std::string& label,
                                    const std::map<std::string, std::string>& installed);

// The launchd job list's text as a map from job label to the pid of a running job.
std::map<std::string, int32_t> parseLaunchctlList(std::string_view text);

// The items with pid set from the job list by label, else from the processes by
// program path (the first process of a path wins), else absent.
std::vector<BackgroundItem> markRunning(std::vector<BackgroundItem> items,
                                        const std::map<std::string, int32_t>& launchctl,
                                        const std::vector<ProcessSample>& processes);

} // namespace corvane::BackgroundItemsReader
