#pragma once

#include <QIcon>

#include <string>

namespace corvane::AppIconProvider {

// The icon of the app at a bundle path: the Icon of the desktop entry named after
// the bundle's identifier (else after the bundle's name, in lower case), through the
// icon theme or as a file. A null icon when there is none. Answers are kept for the
// life of the process: rows ask on every tick.
QIcon icon(const std::string& appPath);

} // namespace corvane::AppIconProvider
