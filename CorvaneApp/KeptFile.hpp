#pragma once

#include "Core/Files.hpp"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// The files the app keeps of a person's choices (its settings, its autostart entry) live
// in folders anyone's programs may write to, and people keep them in repositories of
// their own, linked into place. Such a file is the person's own regular file, here or at
// the end of links that only the person and root can change (Files::Kept); it is opened
// once, without blocking, and checked as opened. Whatever else stands at its place is
// set aside under a new name, never deleted, and the log says what was wrong with it and
// where it went.
namespace corvane::KeptFile {

// Whether the content of a file is what it should hold.
using Accept = std::function<bool(const QByteArray& content)>;

// The content of `file` when it is the person's own file of at most `maxBytes` and
// `accept` takes it; nothing when nothing stands there. Anything else is set aside first
// (a folder is left alone), `unaccepted` saying in the log why content was not taken, and
// nothing is returned. New files that writes left beside it when the app was ended in the
// middle of one are removed. `what` names the file in the log ("settings file").
std::optional<QByteArray> read(const QString& file, std::size_t maxBytes, const char* what, const Accept& accept,
                               const char* unaccepted);

// What to write, made from what the file holds at this moment (null when nothing is
// there). Nothing when `current` is no content the file should hold (it is then set aside
// and this is asked again with null), or, asked with null, when nothing is to be written.
using Make = std::function<std::optional<QByteArray>(const QByteArray* current)>;

// Writes what `make` makes of the file as it is now: all at once over the person's own
// file, wherever links lead (a link stays a link), or as a new file in its place once
// whatever else stands there is set aside. Made again when the file is swapped meanwhile.
// Throws std::system_error when it cannot be written: a folder in its place, a way to it
// that is not the person's, a read-only folder, a full disk.
void write(const QString& file, std::size_t maxBytes, const char* what, const Make& make, const char* unaccepted);

// Sets aside what `kept` found at `file`, `why` saying so in the log; false, and logged,
// when it cannot be moved.
bool setAside(const Files::Kept& kept, const QString& file, const char* what, const std::string& why);

// What is wrong with what was found, when it is no file to take, as the log says it:
// "is too large (…)", "is not yours (…)", "is not a regular file (…)", "is unreadable (…)".
std::string problem(const Files::Found& found, std::size_t maxBytes);

// A file name as the file system spells it.
std::filesystem::path pathOf(const QString& file);

} // namespace corvane::KeptFile
