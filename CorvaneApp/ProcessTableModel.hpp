#pragma once

#include "Core/ProcessCatalog.hpp"
#include "Core/ProcessGroup.hpp"
#include "Core/Verdict.hpp"
#include "CorvaneApp/ColorRole.hpp"

#include <functional>
#include <optional>
#include <string>

namespace corvane {

// A group's explanation as the monitor answers it: its cached one, else the catalog's.
using ExplanationLookup = std::function<std::optional<Explanation>(const ProcessGroup&)>;

// The process table's columns, shared by its header, its rows and the kernel row.
namespace ProcessColumns {
inline constexpr int icon = 34;
inline constexpr int verdict = 130;
inline constexpr int action = 170;
inline constexpr int cpu = 70;
inline constexpr int memory = 80;
inline constexpr int spacing = 12;
inline constexpr int margin = 10;
// In a narrow table the name column keeps this much, and the action column, whose
// content is shortened to fit anyway, gives up what it lacks, down to `actionFloor`.
inline constexpr int nameFloor = 140;
inline constexpr int actionFloor = 100;
} // namespace ProcessColumns

// The action column's width in a table line `lineWidth` wide, side margins included.
int actionColumnWidth(int lineWidth);

// What a row offers in its action column.
struct RowAction {
    enum class Kind { none, quit, note };
    Kind kind = Kind::none;
    std::string note;  // for Kind::note

    bool operator==(const RowAction&) const = default;
};

// Everything one process row shows.
struct ProcessRowModel {
    std::string symbol;                 // for the icon when the group has no app bundle
    std::string name;
    std::string subtitle;
    std::optional<Verdict> verdict;     // empty cell when absent
    RowAction action;
    std::string cpu;
    ColorRole cpuTone = ColorRole::text;
    std::string memory;

    bool operator==(const ProcessRowModel&) const = default;
};

// The explanation's title, then " · N helpers" when the group has helpers.
std::string rowSubtitle(const std::optional<Explanation>& explanation, const ProcessGroup& group);

// A quit button for a quittable group whose explanation offers quitting, else its idle note.
RowAction rowAction(const std::optional<Explanation>& explanation, const ProcessGroup& group);

// One decimal and a percent sign, as C's "%.1f%%" writes it.
std::string cpuText(double percent);

// Amber from 80 % of one core, judged on the unrounded value.
ColorRole cpuTone(double percent);

ProcessRowModel processRow(const ProcessGroup& group, const std::optional<Explanation>& explanation);

} // namespace corvane
