#include "Core/Files.hpp"

#include "Core/Numbers.hpp"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace corvane::Files {
namespace {

// A descriptor of `file` when it is a regular file, else -1 with the errno in `error`.
// Non-blocking so that opening a pipe does not wait for a writer.
int openRegular(const std::filesystem::path& file, struct stat& info, int& error)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return -1;
    }
    return fd;
}

// Plain reads rather than streams: this runs for several files of every process on
// each tick. Returns 0, or the errno of the failure.
int readInto(const std::filesystem::path& file, std::string& content, std::size_t maxBytes)
{
    struct stat info {};
    int error = 0;
    const int fd = openRegular(file, info, error);
    if (fd < 0)
        return error;
    // A file larger than asked for is refused before a byte of it is held. Nothing is
    // reserved from the size either: a sparse file may claim more than memory holds.
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        ::close(fd);
        return EFBIG;
    }
    char buffer[8192];
    for (;;) {
        // One byte past the bound is enough to know the file is larger than that.
        const std::size_t left = maxBytes - content.size();
        const ssize_t n = ::read(fd, buffer, left < sizeof buffer ? left + 1 : sizeof buffer);
        if (n > 0) {
            content.append(buffer, static_cast<std::size_t>(n));
            if (content.size() > maxBytes) {  // it grew while being read, or has no size
                ::close(fd);
                return EFBIG;
            }
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            ::close(fd);
            return error;
        }
    }
    ::close(fd);
    return 0;
}

// yyyyMMddTHHmmssZ
std::string stamp(Date now)
{
    using namespace std::chrono;
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{floor<seconds>(now - day)};
    const auto two = [](auto value) { return Numbers::toText(static_cast<unsigned>(value), 2); };
    return Numbers::toText(static_cast<int>(date.year()), 4) + two(date.month()) + two(date.day()) + "T" +
           two(time.hours().count()) + two(time.minutes().count()) + two(time.seconds().count()) + "Z";
}

// Renames without replacing an existing entry; EEXIST when `to` is taken.
int renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: a second name, then the old one dropped. link()
    // fails on a taken name as the rename would, and names a link itself, not its target.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    return ::unlink(from.c_str()) == 0 ? 0 : errno;
}

} // namespace

Place inspect(const std::filesystem::path& file, std::size_t maxBytes)
{
    namespace fs = std::filesystem;
    struct stat entry {};
    if (::lstat(file.c_str(), &entry) != 0)
        return errno == ENOENT ? Place::empty : Place::other;
    struct stat target = entry;
    if (S_ISLNK(entry.st_mode)) {
        if (::stat(file.c_str(), &target) != 0)
            return Place::other;  // a link to nothing would be created wherever it points
        std::error_code unresolved, noFolder;
        const auto resolved = fs::canonical(file, unresolved);
        const auto folder = fs::canonical(file.parent_path().empty() ? fs::path(".") : file.parent_path(), noFolder);
        if (unresolved || noFolder || resolved.parent_path() != folder)
            return S_ISDIR(target.st_mode) ? Place::folder : Place::other;
    }
    if (S_ISDIR(target.st_mode))
        return Place::folder;
    if (!S_ISREG(target.st_mode) || static_cast<std::uintmax_t>(target.st_size) > maxBytes)
        return Place::other;
    return Place::file;
}

std::filesystem::path setAside(const std::filesystem::path& file, std::string_view reason, Date now)
{
    const std::string base = file.string() + "." + std::string(reason) + "-" + stamp(now);
    for (int attempt = 1;; ++attempt) {
        std::filesystem::path aside = attempt == 1 ? base : base + "-" + Numbers::toText(attempt);
        const int error = renameNoReplace(file, aside);
        if (error == 0)
            return aside;
        if (error != EEXIST || attempt >= 1000)
            throw std::system_error(error, std::generic_category(), "cannot set aside " + file.string());
    }
}

std::optional<std::string> read(const std::filesystem::path& file, std::size_t maxBytes)
{
    std::string content;
    if (readInto(file, content, maxBytes) != 0)
        return std::nullopt;
    return content;
}

std::string readOrThrow(const std::filesystem::path& file, std::size_t maxBytes)
{
    std::string content;
    if (const int error = readInto(file, content, maxBytes); error != 0)
        throw std::system_error(error, std::generic_category(), file.string());
    return content;
}

std::optional<std::string> readHead(const std::filesystem::path& file, std::size_t maxBytes)
{
    struct stat info {};
    int error = 0;
    const int fd = openRegular(file, info, error);
    if (fd < 0)
        return std::nullopt;
    std::string head(maxBytes, '\0');
    std::size_t filled = 0;
    while (filled < maxBytes) {
        const ssize_t n = ::read(fd, head.data() + filled, maxBytes - filled);
        if (n > 0) {
            filled += static_cast<std::size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    head.resize(filled);
    return head;
}

} // namespace corvane::Files
