#pragma once

#include <QString>

#include <cstddef>

// The files the app keeps of a person's choices (its settings, its autostart entry) live
// in folders anyone's programs may write to. Before one is read or written, whatever else
// stands at its place is set aside under a new name, never deleted, and the log says where.
namespace corvane::KeptFile {

// True when `file` may now be read and written through: nothing stands there, or a
// regular file of at most `maxBytes` (or a link to one in the same folder). A pipe,
// socket, device, larger file or link elsewhere is set aside first; a folder is left
// alone, and false. `what` names the file in the log ("settings file").
bool makeReady(const QString& file, std::size_t maxBytes, const char* what);

// Sets aside a file whose content cannot be read for what it should be, so writing
// the new one loses nothing; `why` says so in the log. False when it cannot be moved.
bool setAside(const QString& file, const char* what, const char* why);

} // namespace corvane::KeptFile
