#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <optional>

// The files the app keeps of a person's choices (its settings, its autostart entry) live
// in folders anyone's programs may write to, and people keep them in repositories of
// their own, linked into place. Such a file is the person's own regular file, here or at
// the end of links; it is opened once, without blocking, and checked as opened. Whatever
// else stands at its place is set aside under a new name, never deleted, and the log
// says where.
namespace corvane::KeptFile {

// The content of `file` when it is the person's own regular file of at most `maxBytes`;
// nothing when nothing stands there. Anything else is set aside first (a folder is left
// alone), and nothing is returned. `what` names the file in the log ("settings file").
std::optional<QByteArray> read(const QString& file, std::size_t maxBytes, const char* what);

// Writes `content` as `file`: over the person's own file it leads to, wherever that lies
// and all at once (a link stays a link), or as a new file in its place once whatever
// else stands there is set aside. Throws std::system_error when it cannot be written:
// a folder in its place, a read-only folder, a full disk.
void write(const QString& file, const QByteArray& content, std::size_t maxBytes, const char* what);

// Sets aside a file whose content cannot be read for what it should be, so writing
// the new one loses nothing; `why` says so in the log. False when it cannot be moved.
bool setAside(const QString& file, const char* what, const char* why);

} // namespace corvane::KeptFile
