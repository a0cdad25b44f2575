#include "Core/Files.hpp"

#include "Core/Numbers.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace corvane::Files {
namespace {

// Reads an open regular file to its end, refusing it after `maxBytes` + 1 bytes (it grew
// while being read, or reports no size). Returns 0, or the errno of the failure.
int readFrom(int fd, std::string& content, std::size_t maxBytes)
{
    char buffer[8192];
    for (;;) {
        // One byte past the bound is enough to know the file is larger than that.
        const std::size_t left = maxBytes - content.size();
        const ssize_t n = ::read(fd, buffer, left < sizeof buffer ? left + 1 : sizeof buffer);
        if (n > 0) {
            content.append(buffer, static_cast<std::size_t>(n));
            if (content.size() > maxBytes)
                return EFBIG;
        } else if (n == 0) {
            return 0;
        } else if (errno != EINTR) {
            return errno;
        }
    }
}

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd;
    explicit Descriptor(int fd) : fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// `file` opened when it is a regular file, described in `info`; 0, or the errno of
// the failure. Non-blocking so that opening a pipe does not wait for a writer.
int openRegular(const std::filesystem::path& file, Descriptor& opened, struct stat& info)
{
    opened.fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (opened.fd < 0)
        return errno;
    if (::fstat(opened.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return 0;
}

// Plain reads rather than streams: this runs for several files of every process on
// each tick. Returns 0, or the errno of the failure.
int readInto(const std::filesystem::path& file, std::string& content, std::size_t maxBytes)
{
    Descriptor opened(-1);
    struct stat info {};
    if (const int error = openRegular(file, opened, info); error != 0)
        return error;
    // A file larger than asked for is refused before a byte of it is held. Nothing is
    // reserved from the size either: a sparse file may claim more than memory holds.
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        return EFBIG;
    return readFrom(opened.fd, content, maxBytes);
}

// Where the open file `fd` really lies: the name the kernel keeps for it, confirmed to
// still be that very file and no link.
std::optional<std::filesystem::path> whereItLies(int fd, const struct stat& info, const std::filesystem::path& file)
{
    std::error_code failed;
    auto path = std::filesystem::read_symlink("/proc/self/fd/" + Numbers::toText(fd), failed);
    if (failed)  // no /proc: the same name, resolved by path
        path = std::filesystem::canonical(file, failed);
    struct stat there {};
    if (failed || ::lstat(path.c_str(), &there) != 0 || there.st_dev != info.st_dev || there.st_ino != info.st_ino)
        return std::nullopt;
    return path;
}

// A place with no file to tell of.
Found only(Place place)
{
    Found found;
    found.place = place;
    return found;
}

// What the open descriptor of `file` is, by the rules of Place.
Found classify(int fd, const std::filesystem::path& file, std::size_t maxBytes)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return only(Place::other);
    if (S_ISDIR(info.st_mode))
        return only(Place::folder);
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        return only(Place::other);
    auto target = whereItLies(fd, info, file);
    if (!target)
        return only(Place::other);
    Found found = only(Place::file);
    found.target = std::move(*target);
    return found;
}

// What `file` is when it could not be opened: nothing, unless a link stands there whose
// target is missing, which a write would create wherever it points.
Found unopened(const std::filesystem::path& file, int error)
{
    struct stat entry {};
    if (error == ENOENT && ::lstat(file.c_str(), &entry) != 0 && errno == ENOENT)
        return only(Place::empty);
    return only(Place::other);
}

// A name for a new file beside `name` that no one else is likely to have taken; the
// file is created exclusively all the same.
std::string temporaryName(const std::string& name)
{
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    return "." + name + "." + Numbers::toText(::getpid()) + "-" + Numbers::toText(counter++) + "-" +
           Numbers::toText(static_cast<unsigned long long>(now));
}

[[noreturn]] void throwError(int error, const std::string& what)
{
    throw std::system_error(error, std::generic_category(), what);
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

void writeAll(int fd, std::string_view bytes, const std::filesystem::path& file)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwError(errno, "cannot write " + file.string());
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

Found readKept(const std::filesystem::path& file, std::size_t maxBytes)
{
    // No controlling terminal either, should a link lead to one.
    const Descriptor opened(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (opened.fd < 0)
        return unopened(file, errno);
    Found found = classify(opened.fd, file, maxBytes);
    if (found.place == Place::file && readFrom(opened.fd, found.content, maxBytes) != 0)
        return only(Place::other);
    return found;
}

Found inspect(const std::filesystem::path& file, std::size_t maxBytes)
{
    // A path descriptor opens nothing: no pipe, device or lock is touched.
    const Descriptor opened(::open(file.c_str(), O_PATH | O_CLOEXEC));
    if (opened.fd < 0)
        return unopened(file, errno);
    return classify(opened.fd, file, maxBytes);
}

void replace(const std::filesystem::path& target, std::string_view content)
{
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    const std::string name = target.filename().string();
    const Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.fd < 0)
        throwError(errno, "cannot open folder " + folder.string());
    struct stat old {};
    const bool replacing = ::fstatat(directory.fd, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode);

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = temporaryName(name);
        fd = ::openat(directory.fd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt >= 100))
            throwError(errno, "cannot create a file in " + folder.string());
    }
    Descriptor created(fd);
    try {
        if (replacing && ::fchmod(created.fd, old.st_mode & 07777) != 0)
            throwError(errno, "cannot keep the permissions of " + target.string());
        writeAll(created.fd, content, target);
        if (::fsync(created.fd) != 0)
            throwError(errno, "cannot sync " + target.string());
        const int fdToClose = std::exchange(created.fd, -1);
        if (::close(fdToClose) != 0)
            throwError(errno, "cannot write " + target.string());
        if (::renameat(directory.fd, temporary.c_str(), directory.fd, name.c_str()) != 0)
            throwError(errno, "cannot replace " + target.string());
    } catch (...) {
        ::unlinkat(directory.fd, temporary.c_str(), 0);
        throw;
    }
    // The new name lasts a crash too; a folder that cannot be synced loses nothing now.
    ::fsync(directory.fd);
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
    Descriptor opened(-1);
    struct stat info {};
    if (openRegular(file, opened, info) != 0)
        return std::nullopt;
    std::string head;
    // Past the head is no failure: only the head is wanted.
    if (const int error = readFrom(opened.fd, head, maxBytes); error != 0 && error != EFBIG)
        return std::nullopt;
    head.resize(std::min(head.size(), maxBytes));
    return head;
}

} // namespace corvane::Files
