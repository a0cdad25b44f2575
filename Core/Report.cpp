#include "Core/Report.hpp"

#include "Core/Format.hpp"
#include "Core/Numbers.hpp"
#include "Core/Utf8.hpp"

#include <algorithm>

namespace corvane::Report {
namespace {

constexpr std::size_t groupLines = 10;

std::string groupLine(const ProcessGroup& group, const ProcessCatalog& catalog)
{
    const Explanation explanation = catalog.explain(group);
    std::string name = Utf8::nameForDisplay(group.displayName);
    if (group.members.size() >= 2)
        name += " (+" + Numbers::toText(group.helperCount()) + ")";
    return name + "  " + Format::percent(group.cpuPercent) + "  " + Format::bytes(group.memoryBytes) + "  "
           + label(explanation.verdict) + "  \u2014 " + explanation.title;
}

} // namespace

std::string render(const DiagnosisResult& result, const std::vector<ProcessGroup>& groups,
                   const ProcessCatalog& catalog, const SystemSignals& signals)
{
    std::vector<std::string> lines;
    lines.push_back("Status: " + statusLabel(result.status));
    if (const auto hero = result.hero())
        lines.push_back("Cause: " + hero->headline);
    for (const auto& finding : result.more())
        lines.push_back("Also: " + finding.headline);
    lines.push_back("CPU " + Format::percent(signals.cpuLoadPercent) + " \u00B7 Memory " + label(signals.pressure)
                    + " \u00B7 Heat " + label(signals.thermal));
    lines.emplace_back();
    const auto shown = std::min(groups.size(), groupLines);
    for (std::size_t i = 0; i < shown; ++i)
        lines.push_back(groupLine(groups[i], catalog));

    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += '\n';
        text += lines[i];
    }
    return text;
}

std::string statusLabel(Status status)
{
    switch (status) {
    case Status::quiet: return "Quiet";
    case Status::busy: return "Busy";
    case Status::struggling: return "Struggling";
    }
    return "Quiet";
}

} // namespace corvane::Report
