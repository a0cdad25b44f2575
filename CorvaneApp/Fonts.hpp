#pragma once

#include <QFont>

namespace corvane::Fonts {

// A font at a design size in points, where one point is one logical pixel
// (half sizes such as 11.5 and 13.5 included), in the system's font family.
QFont system(double size, QFont::Weight weight = QFont::Normal);

// The same, in a family whose glyphs really all have one width: DejaVu Sans Mono, which
// the app is measured with, where it is installed (see fixedPitchFamily).
QFont mono(double size, QFont::Weight weight = QFont::Normal);

// `preferred` when its face is fixed-pitch, else the system's monospaced family, else
// the first installed family that is; the system's monospaced family when none is.
// What a system calls monospaced may be a face with a few wide glyphs, or a family
// that is not installed at all.
QString fixedPitchFamily(const QString& preferred);

// Whether the font's matched face gives narrow and wide glyphs the same advance.
bool isFixedPitch(const QFont& font);

// The point size that renders as `size` logical pixels on the primary screen.
double pointSize(double size);

} // namespace corvane::Fonts
