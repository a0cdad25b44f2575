#pragma once

#include "Core/Finding.hpp"
#include "Core/ProcessCatalog.hpp"
#include "Core/ProcessGroup.hpp"
#include "Core/SystemSignals.hpp"

#include <string>
#include <vector>

// One diagnosis as plain text, one item per line.
namespace corvane::Report {

// The status, the causes, the machine's state and the ten first groups with their
// verdicts, joined by "\n" with no newline after the last line.
std::string render(const DiagnosisResult& result, const std::vector<ProcessGroup>& groups,
                   const ProcessCatalog& catalog, const SystemSignals& signals);

// "Quiet", "Busy" or "Struggling".
std::string statusLabel(Status status);

} // namespace corvane::Report
