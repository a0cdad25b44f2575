#pragma once

#include "Core/BackgroundItem.hpp"
#include "Core/ProcessCatalog.hpp"
#include "Core/ProcessGroup.hpp"
#include "Core/Verdict.hpp"

#include <optional>
#include <string>
#include <vector>

// What the Background Items screen shows, derived afresh from the monitor's items
// on every refresh. Plain data and functions, so it runs without any widget.
namespace corvane::BackgroundItemsModel {

inline constexpr const char* title = "Background Items";
inline constexpr const char* subtitle =
    "Apps can add helpers that run in the background. Here's what each one does.";
inline constexpr const char* emptySymbol = "checkmark.circle";
inline constexpr const char* emptyTitle = "No background items found";
inline constexpr const char* emptyDescription = "Nothing is set to run in the background.";
// The owner of items that name none; its group always comes last.
inline constexpr const char* unknownOwner = "Unknown developer";
inline constexpr const char* missingIconSymbol = "questionmark.app";

// The items of one owner app, in the order the screen lists them.
struct OwnerGroup {
    std::string name;                   // as shown; owners that show alike share a group
    std::vector<BackgroundItem> items;  // never empty

    bool operator==(const OwnerGroup&) const = default;
};

// Items grouped by owner (canonically equal names share a group), each group's items
// by label in code-point order, groups alphabetically without regard to case with the
// unknown owner last. Both sorts are stable.
std::vector<OwnerGroup> grouped(const std::vector<BackgroundItem>& items);

// Where the item runs: "Runs for you", "Runs for all users", "Runs as system",
// "Built into <owner>".
std::string scopeLabel(const BackgroundItem& item);

// The running cell: "Not running", or the "Running" pill with the process's CPU and
// memory when it is among the sampled processes.
struct Running {
    bool running = false;
    std::string text;                    // "Not running" or "Running"
    std::optional<std::string> figures;  // "12% · 45.2 MB"

    bool operator==(const Running&) const = default;
};

Running running(const BackgroundItem& item, const std::optional<ProcessUsage>& usage);

// One row, ready to draw. Without a catalog the title is the label and there is no verdict.
struct Row {
    std::string id;
    std::string title;
    std::string label;
    std::string scope;
    Running running;
    std::optional<Verdict> verdict;

    bool operator==(const Row&) const = default;
};

Row row(const BackgroundItem& item, const ProcessCatalog* catalog, const std::optional<ProcessUsage>& usage);

// Where an app's bundle would be installed under this name.
std::string applicationPath(const std::string& ownerName);

} // namespace corvane::BackgroundItemsModel
