#pragma once

#include "Core/Finding.hpp"

#include <QColor>
#include <QIcon>
#include <QString>

#include <optional>

namespace corvane {
class Monitor;
}

namespace corvane::StatusDot {

// The status the tray shows: none while nothing can be checked (the process catalog failed
// to load), quiet until the first check has finished, then the result's.
std::optional<Status> status(const Monitor& monitor);

// The dot's colour for a status: the palette's green, amber and red; a neutral grey for none.
QColor colour(std::optional<Status> status);

// The dot for a status, drawn once per status and shared.
const QIcon& image(std::optional<Status> status);

// "Corvane status: " followed by the status pill's words, or with no status by what the
// window says instead of its screens.
QString accessibilityLabel(std::optional<Status> status);

} // namespace corvane::StatusDot
