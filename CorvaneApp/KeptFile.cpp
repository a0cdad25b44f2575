#include "CorvaneApp/KeptFile.hpp"

#include "Core/Files.hpp"
#include "CorvaneApp/Logging.hpp"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace corvane::KeptFile {

namespace {

const char* const notKept = "is no regular file of yours of a sane size";

std::filesystem::path pathOf(const QString& file)
{
    return std::filesystem::path(QFile::encodeName(file).toStdString());
}

// Renames the entry at `file`, logging where it went; throws when it cannot.
void setAsideOrThrow(const QString& file, const char* what, const char* why)
{
    const auto aside = Files::setAside(pathOf(file), "unreadable", std::chrono::system_clock::now());
    qCWarning(settingsLog, "%s %s %s; set aside as %s", what, qPrintable(file), why, aside.c_str());
}

} // namespace

std::optional<QByteArray> read(const QString& file, std::size_t maxBytes, const char* what)
{
    const Files::Found found = Files::readKept(pathOf(file), maxBytes);
    switch (found.place) {
    case Files::Place::empty:
        return std::nullopt;
    case Files::Place::file:
        return QByteArray::fromStdString(found.content);
    case Files::Place::folder:
        qCWarning(settingsLog, "%s %s is a folder; nothing is written there", what, qPrintable(file));
        return std::nullopt;
    case Files::Place::other:
        break;
    }
    setAside(file, what, notKept);
    return std::nullopt;
}

void write(const QString& file, const QByteArray& content, std::size_t maxBytes, const char* what)
{
    const auto path = pathOf(file);
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    const std::string_view bytes(content.constData(), static_cast<std::size_t>(content.size()));
    const Files::Found found = Files::inspect(path, maxBytes);
    switch (found.place) {
    case Files::Place::folder:
        throw std::system_error(EISDIR, std::generic_category(), file.toStdString());
    case Files::Place::other:
        setAsideOrThrow(file, what, notKept);
        [[fallthrough]];
    case Files::Place::empty:
        Files::replace(path, bytes);
        return;
    case Files::Place::file:
        Files::replace(found.target, bytes);
        return;
    }
}

bool setAside(const QString& file, const char* what, const char* why)
{
    try {
        setAsideOrThrow(file, what, why);
        return true;
    } catch (const std::system_error& error) {
        qCWarning(settingsLog, "%s %s %s and cannot be set aside (%s); nothing is written there", what,
                  qPrintable(file), why, error.what());
        return false;
    }
}

} // namespace corvane::KeptFile
