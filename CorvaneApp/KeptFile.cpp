#include "CorvaneApp/KeptFile.hpp"

#include "Core/Numbers.hpp"
#include "CorvaneApp/Logging.hpp"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <string_view>
#include <system_error>

namespace corvane::KeptFile {

std::filesystem::path pathOf(const QString& file)
{
    return std::filesystem::path(QFile::encodeName(file).toStdString());
}

std::string problem(const Files::Found& found, std::size_t maxBytes)
{
    switch (found.place) {
    case Files::Place::tooLarge:
        return "is too large (" + Numbers::toText(found.size) + " bytes, over the bound of " +
               Numbers::toText(maxBytes) + ")";
    case Files::Place::notYours:
        return "is not yours (" + found.why + ")";
    case Files::Place::notRegular:
        return "is not a regular file (" + found.why + ")";
    case Files::Place::unreadable:
        return "is unreadable (" + found.why + ")";
    case Files::Place::empty:
    case Files::Place::file:
    case Files::Place::folder:
        break;
    }
    return {};
}

namespace {

// Sets aside what `kept` found, saying so in the log; throws std::system_error, saying
// what is wrong, when it cannot be moved.
void setAsideOrThrow(const Files::Kept& kept, const QString& file, const char* what, const std::string& why)
{
    try {
        const auto aside = kept.setAside("unreadable", std::chrono::system_clock::now());
        qCWarning(settingsLog, "%s %s %s; set aside as %s", what, qPrintable(file), why.c_str(), aside.c_str());
    } catch (const std::system_error& error) {
        throw std::system_error(error.code(), file.toStdString() + " " + why + " and cannot be set aside");
    }
}

} // namespace

bool setAside(const Files::Kept& kept, const QString& file, const char* what, const std::string& why)
{
    try {
        setAsideOrThrow(kept, file, what, why);
        return true;
    } catch (const std::system_error& error) {
        qCWarning(settingsLog, "%s %s; nothing is written there", what, error.what());
        return false;
    }
}

std::optional<QByteArray> read(const QString& file, std::size_t maxBytes, const char* what, const Accept& accept,
                               const char* unaccepted)
{
    const auto kept = Files::Kept::find(pathOf(file), maxBytes);
    kept.removeLeftovers();
    const Files::Found& found = kept.found();
    switch (found.place) {
    case Files::Place::empty:
        return std::nullopt;
    case Files::Place::file: {
        auto content = QByteArray::fromStdString(found.content);
        if (accept(content))
            return content;
        setAside(kept, file, what, unaccepted);
        return std::nullopt;
    }
    case Files::Place::folder:
        qCWarning(settingsLog, "%s %s is a folder; nothing is written there", what, qPrintable(file));
        return std::nullopt;
    case Files::Place::tooLarge:
    case Files::Place::notYours:
    case Files::Place::notRegular:
    case Files::Place::unreadable:
        break;
    }
    setAside(kept, file, what, problem(found, maxBytes));
    return std::nullopt;
}

void write(const QString& file, std::size_t maxBytes, const char* what, const Make& make, const char* unaccepted)
{
    const auto path = pathOf(file);
    // Each round finds the file again: after something was set aside, or when the file
    // was swapped between reading and replacing it (a dotfiles tool relinking).
    for (int round = 0; round < 4; ++round) {
        const auto kept = Files::Kept::find(path, maxBytes, true);
        const Files::Found& found = kept.found();
        std::optional<QByteArray> content;
        switch (found.place) {
        case Files::Place::empty:
            content = make(nullptr);
            break;
        case Files::Place::file: {
            const auto current = QByteArray::fromStdString(found.content);
            content = make(&current);
            if (!content) {
                setAsideOrThrow(kept, file, what, unaccepted);
                continue;
            }
            break;
        }
        case Files::Place::folder:
            throw std::system_error(EISDIR, std::generic_category(), file.toStdString());
        case Files::Place::tooLarge:
        case Files::Place::notYours:
        case Files::Place::notRegular:
        case Files::Place::unreadable:
            setAsideOrThrow(kept, file, what, problem(found, maxBytes));
            continue;
        }
        if (!content)
            return;
        try {
            kept.replace(std::string_view(content->constData(), static_cast<std::size_t>(content->size())));
            return;
        } catch (const std::system_error& error) {
            if (error.code() != std::errc::resource_unavailable_try_again)
                throw;
        }
    }
    throw std::system_error(EAGAIN, std::generic_category(), file.toStdString() + " keeps changing");
}

} // namespace corvane::KeptFile
