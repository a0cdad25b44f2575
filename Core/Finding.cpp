#include "Core/Finding.hpp"

#include <algorithm>

namespace corvane {

std::optional<Severity> severityFromRaw(int raw)
{
    if (raw < 1 || raw > 4)
        return std::nullopt;
    return static_cast<Severity>(raw);
}

Finding::Finding(FindingKind kind, Severity severity, std::string headline, std::string detail,
                 std::optional<std::string> groupID, std::optional<FixID> primaryFix,
                 std::optional<std::string> leaveNote)
    : id(groupID ? toString(kind) + ":" + *groupID : toString(kind)),
      kind(kind),
      severity(severity),
      headline(std::move(headline)),
      detail(std::move(detail)),
      groupID(std::move(groupID)),
      primaryFix(primaryFix),
      leaveNote(std::move(leaveNote))
{
}

Status statusOf(const std::vector<Finding>& findings)
{
    const bool serious = std::any_of(findings.begin(), findings.end(), [](const Finding& f) {
        return f.severity >= Severity::high;
    });
    if (serious)
        return Status::struggling;
    return findings.empty() ? Status::quiet : Status::busy;
}

DiagnosisResult::DiagnosisResult(std::vector<Finding> ordered)
    : status(statusOf(ordered)), findings(std::move(ordered))
{
}

std::optional<Finding> DiagnosisResult::hero() const
{
    if (findings.empty())
        return std::nullopt;
    return findings.front();
}

std::vector<Finding> DiagnosisResult::more() const
{
    if (findings.size() <= 1)
        return {};
    const auto end = findings.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(findings.size(), 5));
    return std::vector<Finding>(findings.begin() + 1, end);
}

} // namespace corvane
