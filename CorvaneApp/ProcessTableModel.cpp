#include "CorvaneApp/ProcessTableModel.hpp"

#include "Core/Format.hpp"
#include "Core/Numbers.hpp"
#include "Core/Utf8.hpp"

#include <algorithm>

namespace corvane {

int actionColumnWidth(int lineWidth)
{
    using namespace ProcessColumns;
    const int name = lineWidth - 2 * margin - icon - verdict - action - cpu - memory - 5 * spacing;
    return std::clamp(action - std::max(0, nameFloor - name), actionFloor, action);
}

std::string rowSubtitle(const std::optional<Explanation>& explanation, const ProcessGroup& group)
{
    std::string subtitle = explanation ? explanation->title : std::string();
    // The word stays plural for one helper, as the table has always shown it.
    if (const int helpers = group.helperCount(); helpers >= 1)
        subtitle += " \u00B7 " + Numbers::toText(helpers) + " helpers";
    return subtitle;
}

RowAction rowAction(const std::optional<Explanation>& explanation, const ProcessGroup& group)
{
    if (!explanation)
        return {};
    const auto& fixes = explanation->fixes;
    if (group.quittable && std::find(fixes.begin(), fixes.end(), FixID::quitApp) != fixes.end())
        return {RowAction::Kind::quit, {}};
    if (explanation->idleNote)
        return {RowAction::Kind::note, *explanation->idleNote};
    return {};
}

std::string cpuText(double percent)
{
    return Numbers::toFixed(percent, 1) + "%";
}

ColorRole cpuTone(double percent)
{
    return percent >= 80.0 ? ColorRole::amber : ColorRole::text;
}

ProcessRowModel processRow(const ProcessGroup& group, const std::optional<Explanation>& explanation)
{
    ProcessRowModel row;
    row.symbol = explanation ? explanation->symbol : "gearshape";
    row.name = Utf8::nameForDisplay(group.displayName);
    row.subtitle = rowSubtitle(explanation, group);
    if (explanation)
        row.verdict = explanation->verdict;
    row.action = rowAction(explanation, group);
    row.cpu = cpuText(group.cpuPercent);
    row.cpuTone = cpuTone(group.cpuPercent);
    row.memory = Format::bytes(group.memoryBytes);
    return row;
}

} // namespace corvane
