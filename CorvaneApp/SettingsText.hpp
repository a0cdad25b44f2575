#pragma once

#include <QByteArray>
#include <QVariantMap>

#include <optional>

// The settings file's text, in the INI form QSettings has always kept it in, read and
// written by QSettings itself so that every file an earlier version wrote reads back the
// same. QSettings only works on files it opens by name and guards with a lock file beside
// them, so it is given a private copy in a folder of its own, never the person's file.
namespace corvane::SettingsText {

// The keys (sections joined with "/") and values of the text; nothing when QSettings
// cannot read it as settings. Throws std::runtime_error when no private copy can be made.
std::optional<QVariantMap> parse(const QByteArray& text);

// The text QSettings writes for these values. Throws std::runtime_error when it cannot.
QByteArray write(const QVariantMap& values);

} // namespace corvane::SettingsText
