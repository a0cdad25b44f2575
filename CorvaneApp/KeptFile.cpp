#include "CorvaneApp/KeptFile.hpp"

#include "Core/Files.hpp"
#include "CorvaneApp/Logging.hpp"

#include <QFile>

#include <chrono>
#include <system_error>

namespace corvane::KeptFile {

namespace {

std::filesystem::path pathOf(const QString& file)
{
    return std::filesystem::path(QFile::encodeName(file).toStdString());
}

} // namespace

bool makeReady(const QString& file, std::size_t maxBytes, const char* what)
{
    switch (Files::inspect(pathOf(file), maxBytes)) {
    case Files::Place::empty:
    case Files::Place::file:
        return true;
    case Files::Place::folder:
        qCWarning(settingsLog, "%s %s is a folder; nothing is written there", what, qPrintable(file));
        return false;
    case Files::Place::other:
        break;
    }
    return setAside(file, what, "is no regular file of a sane size in its folder");
}

bool setAside(const QString& file, const char* what, const char* why)
{
    try {
        const auto aside = Files::setAside(pathOf(file), "unreadable", std::chrono::system_clock::now());
        qCWarning(settingsLog, "%s %s %s; set aside as %s", what, qPrintable(file), why, aside.c_str());
        return true;
    } catch (const std::system_error& error) {
        qCWarning(settingsLog, "%s %s %s and cannot be set aside (%s); nothing is written there", what,
                  qPrintable(file), why, error.what());
        return false;
    }
}

} // namespace corvane::KeptFile
