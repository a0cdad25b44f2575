#pragma once

#include <QHash>
#include <QString>

namespace corvane::DesktopEntry {

// The keys of a desktop entry's [Desktop Entry] group, values unescaped
// ("\s", "\n", "\t", "\r", "\\"). Localised keys ("Name[de]") are kept as they stand.
QHash<QString, QString> parse(const QString& text);

// parse() of a file; empty when it cannot be read.
QHash<QString, QString> read(const QString& path);

} // namespace corvane::DesktopEntry
