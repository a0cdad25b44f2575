#pragma once

#include "Core/ProcessGroup.hpp"
#include "Core/SystemSignals.hpp"
#include "Core/Verdict.hpp"
#include "CorvaneApp/ProcessTableModel.hpp"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace corvane {

// The id of the fixed kernel row; monitor ids are bundle paths or "pid:N", so it never collides.
inline constexpr std::string_view kernelRowID = "kernel_task";

// One row of the process list with the verdict it is counted and filtered under.
struct ProcessListRow {
    ProcessGroup group;
    Verdict verdict = Verdict::review;

    bool operator==(const ProcessListRow&) const = default;
};

// The Processes screen's own choices.
struct ProcessListOptions {
    QString search;                 // as typed
    bool sortByMemory = false;
    std::optional<Verdict> filter;  // absent: "All"
};

// One verdict chip.
struct VerdictChip {
    std::optional<Verdict> verdict;
    std::string label;
    int count = 0;
    bool selected = false;

    // The label, a space and the count.
    std::string text() const;

    bool operator==(const VerdictChip&) const = default;
};

// What the kernel row shows in its action and CPU columns.
struct KernelRowModel {
    std::string note;
    std::string heat;
    ColorRole heatTone = ColorRole::green;

    bool operator==(const KernelRowModel&) const = default;
};

// The group the kernel row stands for: one root member named "kernel_task", not quittable.
ProcessGroup kernelGroup();

// The kernel row, then the monitor's groups, each with its explanation's verdict (Review
// when there is none).
std::vector<ProcessListRow> allRows(const std::vector<ProcessGroup>& groups, const ExplanationLookup& explain);

// The search text trimmed of spaces and tabs at both ends, composed and lower-cased.
QString searchQuery(const QString& search);

// Whether a row's name, a member's name or its explanation's title holds the query.
bool matchesQuery(const ProcessGroup& group, const QString& query, const ExplanationLookup& explain);

// The rows that pass the filter and the search, kernel row first, then by CPU or memory,
// highest first; ties keep their order.
std::vector<ProcessListRow> visibleRows(const std::vector<ProcessListRow>& rows, const ProcessListOptions& options,
                                        const ExplanationLookup& explain);

// "All", "Safe to quit", "Review", "Leave it", counted over every row.
std::vector<VerdictChip> verdictChips(const std::vector<ProcessListRow>& rows, std::optional<Verdict> filter);

// The line shown when no row is visible.
QString emptyListText(const QString& search);

// The expanded id after a row's toggle: that row, or nothing when it was the open one.
std::optional<std::string> toggledExpansion(const std::optional<std::string>& expandedID, const std::string& rowID);

// The kernel row reads the thermal state; normal until the first signals arrive.
KernelRowModel kernelRow(const std::optional<SystemSignals>& signals);

} // namespace corvane
