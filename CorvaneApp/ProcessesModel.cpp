#include "CorvaneApp/ProcessesModel.hpp"

#include "Core/Numbers.hpp"
#include "Core/Utf8.hpp"
#include "CorvaneApp/OverviewModel.hpp"

#include <algorithm>

namespace corvane {

namespace {

bool isTrimmed(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

// As the list shows the text, so a search finds what the user sees.
QString lowered(const std::string& text)
{
    return QString::fromStdString(Utf8::nameForDisplay(text)).normalized(QString::NormalizationForm_C).toLower();
}

} // namespace

std::string VerdictChip::text() const
{
    return label + " " + Numbers::toText(count);
}

ProcessGroup kernelGroup()
{
    const std::string name(kernelRowID);
    ProcessUsage member{0, 0, 0, "root", name, name, 0, 0};
    return {name, name, std::nullopt, {member}, 0, 0, false};
}

std::vector<ProcessListRow> allRows(const std::vector<ProcessGroup>& groups, const ExplanationLookup& explain)
{
    std::vector<ProcessListRow> rows;
    rows.reserve(groups.size() + 1);
    auto add = [&](const ProcessGroup& group) {
        const auto explanation = explain(group);
        rows.push_back({group, explanation ? explanation->verdict : Verdict::review});
    };
    add(kernelGroup());
    for (const auto& group : groups)
        add(group);
    return rows;
}

QString searchQuery(const QString& search)
{
    qsizetype begin = 0;
    qsizetype end = search.size();
    while (begin < end && isTrimmed(search[begin]))
        ++begin;
    while (end > begin && isTrimmed(search[end - 1]))
        --end;
    return search.mid(begin, end - begin).normalized(QString::NormalizationForm_C).toLower();
}

bool matchesQuery(const ProcessGroup& group, const QString& query, const ExplanationLookup& explain)
{
    if (query.isEmpty() || lowered(group.displayName).contains(query))
        return true;
    for (const auto& member : group.members) {
        if (lowered(member.name).contains(query))
            return true;
    }
    const auto explanation = explain(group);
    return explanation && lowered(explanation->title).contains(query);
}

std::vector<ProcessListRow> visibleRows(const std::vector<ProcessListRow>& rows, const ProcessListOptions& options,
                                        const ExplanationLookup& explain)
{
    const QString query = searchQuery(options.search);
    std::vector<ProcessListRow> visible;
    for (const auto& row : rows) {
        if (options.filter && *options.filter != row.verdict)
            continue;
        if (matchesQuery(row.group, query, explain))
            visible.push_back(row);
    }
    std::stable_sort(visible.begin(), visible.end(), [&](const ProcessListRow& a, const ProcessListRow& b) {
        const bool aKernel = a.group.id == kernelRowID;
        const bool bKernel = b.group.id == kernelRowID;
        if (aKernel || bKernel)
            return aKernel && !bKernel;
        if (options.sortByMemory)
            return a.group.memoryBytes > b.group.memoryBytes;
        return a.group.cpuPercent > b.group.cpuPercent;
    });
    return visible;
}

std::vector<VerdictChip> verdictChips(const std::vector<ProcessListRow>& rows, std::optional<Verdict> filter)
{
    std::vector<VerdictChip> chips{{std::nullopt, "All", static_cast<int>(rows.size()), !filter}};
    for (const Verdict verdict : allCases<Verdict>()) {
        const auto count = std::count_if(rows.begin(), rows.end(),
                                         [&](const ProcessListRow& row) { return row.verdict == verdict; });
        chips.push_back({verdict, label(verdict), static_cast<int>(count), filter == verdict});
    }
    return chips;
}

QString emptyListText(const QString& search)
{
    if (search.isEmpty())
        return QStringLiteral("Nothing here right now.");
    return QStringLiteral("No process matches \"") + search + QStringLiteral("\".");
}

std::optional<std::string> toggledExpansion(const std::optional<std::string>& expandedID, const std::string& rowID)
{
    if (expandedID == rowID)
        return std::nullopt;
    return rowID;
}

KernelRowModel kernelRow(const std::optional<SystemSignals>& signals)
{
    const Thermal thermal = signals ? signals->thermal : Thermal::normal;
    KernelRowModel row;
    row.note = thermal == Thermal::normal ? "Not cooling right now" : "Cooling your Mac";
    row.heat = thermal == Thermal::normal ? "heat ok" : label(thermal);
    row.heatTone = thermalTone(thermal);
    return row;
}

} // namespace corvane
