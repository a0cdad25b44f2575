#pragma once

#include <QFont>

namespace corvane::Fonts {

// A font at a design size in points, where one point is one logical pixel
// (half sizes such as 11.5 and 13.5 included), in the system's font family.
QFont system(double size, QFont::Weight weight = QFont::Normal);

// The same, in the system's monospaced family.
QFont mono(double size, QFont::Weight weight = QFont::Normal);

// The point size that renders as `size` logical pixels on the primary screen.
double pointSize(double size);

} // namespace corvane::Fonts
