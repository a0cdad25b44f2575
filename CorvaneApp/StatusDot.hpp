#pragma once

#include "Core/Date.hpp"
#include "Core/Finding.hpp"

#include <QColor>
#include <QIcon>
#include <QString>

#include <optional>

namespace corvane::StatusDot {

// The status the tray shows: quiet until the first check has finished, then the result's.
Status status(const std::optional<Date>& lastChecked, const DiagnosisResult& result);

// The dot's colour for a status: the palette's green, amber and red.
QColor colour(Status status);

// The dot for a status, drawn once per status and shared.
const QIcon& image(Status status);

// "Corvane status: " followed by the status pill's words.
QString accessibilityLabel(Status status);

} // namespace corvane::StatusDot
