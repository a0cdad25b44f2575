#pragma once

#include "Core/Date.hpp"
#include "Core/FixID.hpp"
#include "Core/ProcessCatalog.hpp"
#include "Core/ProcessGroup.hpp"
#include "Core/SpotlightAdvisor.hpp"
#include "Core/WindowCensus.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// Where the guide pages live; a page's path is "/process/" and its key.
inline constexpr std::string_view guideBaseAddress = "https://corvane.app";

// Folders below this many bytes do not keep the indexer busy enough to mention.
inline constexpr int64_t heavyFolderMinimumBytes = 1'000'000'000;

// Which parts the expanded detail shows.
struct ProcessDetailModel {
    std::string summary;
    std::optional<std::string> whyHigh;
    bool helpers = false;
    bool spotlight = false;
    bool windowServer = false;
    bool actionRow = false;
    std::vector<FixID> fixes;
    std::optional<std::string> guideAddress;  // absent when no valid address can be made

    bool operator==(const ProcessDetailModel&) const = default;
};

// One line of the busiest member processes.
struct HelperLine {
    std::string name;
    std::string cpu;
    std::string memory;

    bool operator==(const HelperLine&) const = default;
};

// One line of the folders that keep the indexer busy.
struct FolderLine {
    std::string path;  // full path, the line's key
    std::string label;
    std::string shownPath;
    std::string size;

    bool operator==(const FolderLine&) const = default;
};

// One line of the window census.
struct WindowLine {
    std::string ownerName;
    std::string count;

    bool operator==(const WindowLine&) const = default;
};

// The fixes offered now, in catalog order: never explain, quitting only for a quittable
// group, rebuilding the index only after Spotlight has been busy for more than three hours.
std::vector<FixID> shownFixes(const Explanation& explanation, const ProcessGroup& group,
                              std::optional<Date> spotlightBusySince, Date now);

// The guide page for a key, or nothing when the result is not a valid address.
std::optional<std::string> guideAddress(const std::string& key);

// Nothing at all without an explanation.
std::optional<ProcessDetailModel> processDetail(const ProcessGroup& group, const std::optional<Explanation>& explanation,
                                                std::optional<Date> spotlightBusySince, Date now);

// "Busiest parts (N processes)".
std::string helpersTitle(const ProcessGroup& group);

// The five busiest members, equal CPU in member order.
std::vector<HelperLine> helperLines(const ProcessGroup& group);

// The path with a leading home folder written as "~"; any other path as it is.
std::string shortenedPath(const std::string& path, const std::string& home);

std::vector<FolderLine> folderLines(const std::vector<HeavyFolder>& folders, const std::string& home);

// The first five owners: name and "N window" / "N windows".
std::vector<WindowLine> windowLines(const std::vector<WindowCount>& census);

// "Displays: N", with " (M scaled)" when some run a scaled mode.
std::string displaysLine(const DisplayInfo& displays);

// The group holding the process with the most on-screen windows, or none.
std::optional<ProcessGroup> topWindowGroup(const std::vector<WindowCount>& census,
                                           const std::vector<ProcessGroup>& groups);

// The fix offered for that group: its tabs for a browser, else quitting when allowed.
std::optional<FixID> topWindowFix(const ProcessGroup& group);

} // namespace corvane
