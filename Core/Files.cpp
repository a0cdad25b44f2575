#include "Core/Files.hpp"

#include "Core/Numbers.hpp"
#include "Core/Text.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

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

// `file` opened when it is a regular file, described in `info`; 0, or the errno of
// the failure. Non-blocking so that opening a pipe does not wait for a writer.
int openRegular(const std::filesystem::path& file, Descriptor& opened, struct stat& info)
{
    opened = Descriptor(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!opened)
        return errno;
    if (::fstat(opened.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return 0;
}

// Plain reads rather than streams: this runs for several files of every process on
// each tick. Returns 0, or the errno of the failure.
int readInto(const std::filesystem::path& file, std::string& content, std::size_t maxBytes)
{
    Descriptor opened;
    struct stat info {};
    if (const int error = openRegular(file, opened, info); error != 0)
        return error;
    // A file larger than asked for is refused before a byte of it is held. Nothing is
    // reserved from the size either: a sparse file may claim more than memory holds.
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        return EFBIG;
    return readFrom(opened.get(), content, maxBytes);
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

// Renames `from` to `to` in one folder without replacing an entry; EEXIST when `to` is
// taken.
int renameNoReplace(int folder, const std::string& from, const std::string& to)
{
    if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the flag: a second name, then the old one dropped. A link
    // fails on a taken name as the rename would, and names a link itself, not its target.
    if (::linkat(folder, from.c_str(), folder, to.c_str(), 0) != 0)
        return errno;
    return ::unlinkat(folder, from.c_str(), 0) == 0 ? 0 : errno;
}

std::string reason(int error)
{
    return std::generic_category().message(error);
}

// The names of a path, without the empty ones and ".".
std::vector<std::string> splitPath(std::string_view path)
{
    std::vector<std::string> names;
    for (const auto name : Text::splitSkippingEmpty(path, '/'))
        if (name != ".")
            names.emplace_back(name);
    return names;
}

bool same(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

Descriptor duplicate(const Descriptor& fd)
{
    return Descriptor(::fcntl(fd.get(), F_DUPFD_CLOEXEC, 0));
}

std::string kindOf(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "a pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    return "a device";
}

// The target of the link opened (O_PATH, not followed) as `fd`; nothing, errno set,
// when it cannot be read.
std::optional<std::string> readLink(int fd)
{
    std::string target(256, '\0');
    for (;;) {
        const ssize_t n = ::readlinkat(fd, "", target.data(), target.size());
        if (n < 0)
            return std::nullopt;
        if (static_cast<std::size_t>(n) < target.size()) {
            target.resize(static_cast<std::size_t>(n));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

// The kernel's own limit on the links one path may lead through.
constexpr int maxLinks = 40;

// A folder the walk has reached, opened as a path.
struct Folder {
    Descriptor fd;
    struct stat info {};
    std::string path;

    std::string child(const std::string& name) const { return path == "/" ? "/" + name : path + "/" + name; }
};

bool openRoot(std::vector<Folder>& folders)
{
    Folder root{Descriptor(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)), {}, "/"};
    if (!root.fd || ::fstat(root.fd.get(), &root.info) != 0)
        return false;
    folders.push_back(std::move(root));
    return true;
}

// The person running the app, and who may change what is on the way to their files.
class Person {
public:
    // Theirs or root's: root can change anything anyway.
    bool owns(const struct stat& info) const { return info.st_uid == uid_ || info.st_uid == 0; }
    bool ownsFile(const struct stat& info) const { return info.st_uid == uid_; }

    // Why `folder` could let someone else change `entry` (nothing yet when null), if it could.
    std::optional<std::string> unsafeFolder(const Folder& folder, const struct stat* entry) const
    {
        if (!owns(folder.info))
            return "the folder " + folder.path + " belongs to someone else";
        if (!writableByOthers(folder.info))
            return std::nullopt;
        // In a sticky folder only an entry's owner, the folder's and root may rename it.
        if ((folder.info.st_mode & S_ISVTX) && (!entry || owns(*entry)))
            return std::nullopt;
        return "others can write to the folder " + folder.path;
    }

private:
    bool writableByOthers(const struct stat& info) const
    {
        if (info.st_mode & S_IWOTH)
            return true;
        return (info.st_mode & S_IWGRP) && !privateGroup(info.st_gid);
    }

    // The group made for the person alone, named after them, as systems that give each
    // user a group of their own do (their folders are then often group-writable).
    bool privateGroup(gid_t gid) const
    {
        if (gid != ::getegid())
            return false;
        if (!private_)
            private_ = lookUpPrivateGroup(gid);
        return *private_;
    }

    bool lookUpPrivateGroup(gid_t gid) const
    {
        std::vector<char> buffer(16384);
        passwd user{};
        passwd* foundUser = nullptr;
        if (::getpwuid_r(uid_, &user, buffer.data(), buffer.size(), &foundUser) != 0 || !foundUser)
            return false;
        const std::string name = user.pw_name;
        group entry{};
        group* foundGroup = nullptr;
        if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &foundGroup) != 0 || !foundGroup ||
            name != entry.gr_name)
            return false;
        for (char** member = entry.gr_mem; *member; ++member)
            if (name != *member)
                return false;
        return true;
    }

    uid_t uid_ = ::geteuid();
    mutable std::optional<bool> private_;
};

// The process that is writing, or was, the new file `entry` beside `name`: one named as
// temporaryName names them.
std::optional<pid_t> writerOf(std::string_view entry, const std::string& name)
{
    const std::string prefix = "." + name + ".";
    if (!entry.starts_with(prefix))
        return std::nullopt;
    const auto parts = Text::splitKeepingEmpty(entry.substr(prefix.size()), '-');
    if (parts.size() != 3 || !Numbers::parseInt<unsigned>(parts[1]) ||
        !Numbers::parseInt<unsigned long long>(parts[2]))
        return std::nullopt;
    return Numbers::parseInt<pid_t>(parts[0]);
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

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

Descriptor::~Descriptor()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Kept Kept::find(const std::filesystem::path& file, std::size_t maxBytes, bool makeFolders)
{
    std::error_code failed;
    auto absolute = std::filesystem::absolute(file, failed);
    if (failed)
        absolute = file;
    // A walk that meets an entry swapped under it starts over; one that keeps meeting
    // that takes nothing.
    for (int attempt = 0; attempt < 3; ++attempt) {
        Kept kept;
        if (kept.walk(absolute, maxBytes, makeFolders))
            return kept;
    }
    Kept changing;
    changing.found_.place = Place::unreadable;
    changing.found_.target = absolute;
    changing.found_.why = absolute.string() + " keeps changing while it is looked at";
    return changing;
}

bool Kept::walk(const std::filesystem::path& file, std::size_t maxBytes, bool makeFolders)
{
    struct Part {
        std::string name;
        bool atPath = false;    // the entry the path itself names
        bool fromLink = false;  // named by a link's target
    };
    std::deque<Part> rest;
    for (const auto& name : splitPath(file.string()))
        rest.push_back({name});
    if (!rest.empty())
        rest.back().atPath = true;

    const auto give = [this](Place place, std::string why = {}) {
        found_.place = place;
        found_.why = std::move(why);
        return true;
    };
    found_.target = file;
    std::vector<Folder> folders;
    if (!openRoot(folders)) {
        const int error = errno;
        return give(Place::unreadable, "cannot open /: " + reason(error));
    }
    const Person me;
    int links = 0;
    while (!rest.empty()) {
        const Part part = std::move(rest.front());
        rest.pop_front();
        Folder& here = folders.back();
        if (part.name == "..") {
            if (folders.size() > 1)
                folders.pop_back();
            continue;
        }
        const std::string path = here.child(part.name);
        Descriptor entry(::openat(here.fd.get(), part.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat info {};
        if (!entry) {
            const int error = errno;
            if (error != ENOENT)
                return give(Place::unreadable, "cannot look at " + path + ": " + reason(error));
            if (part.fromLink)
                return give(Place::notRegular, "a link leads to " + path + ", which is not there");
            if (auto why = me.unsafeFolder(here, nullptr))
                return give(Place::notYours, *why);
            if (rest.empty()) {
                if (part.atPath) {
                    entryFolder_ = duplicate(here.fd);
                    entryName_ = part.name;
                    entryFolderPath_ = here.path;
                }
                folder_ = duplicate(here.fd);
                name_ = part.name;
                found_.target = path;
                return give(Place::empty);
            }
            if (!makeFolders)
                return give(Place::empty);
            if (::mkdirat(here.fd.get(), part.name.c_str(), 0700) != 0 && errno != EEXIST) {
                const int error = errno;
                return give(Place::unreadable, "cannot make the folder " + path + ": " + reason(error));
            }
            rest.push_front(part);
            continue;
        }
        if (::fstat(entry.get(), &info) != 0) {
            const int error = errno;
            return give(Place::unreadable, "cannot look at " + path + ": " + reason(error));
        }
        if (auto why = me.unsafeFolder(here, &info))
            return give(Place::notYours, *why);
        if (part.atPath) {
            entryFolder_ = duplicate(here.fd);
            entryName_ = part.name;
            entryFolderPath_ = here.path;
            found_.linked = S_ISLNK(info.st_mode);
        }
        if (S_ISLNK(info.st_mode)) {
            if (!me.owns(info))
                return give(Place::notYours, "the link " + path + " belongs to someone else");
            if (++links > maxLinks)
                return give(Place::notRegular, path + " leads through links in a loop");
            const auto target = readLink(entry.get());
            if (!target) {
                const int error = errno;
                return give(Place::unreadable, "cannot read the link " + path + ": " + reason(error));
            }
            const auto names = splitPath(*target);
            for (auto name = names.rbegin(); name != names.rend(); ++name)
                rest.push_front({*name, false, true});
            // Even a link to "/" names the root folder as a step.
            if (target->starts_with('/')) {
                folders.resize(1);
                if (rest.empty())
                    return give(Place::folder);
            } else if (rest.empty()) {
                return give(Place::folder);  // a link to "." names its own folder
            }
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            if (rest.empty())
                return give(Place::folder);
            // Opened once more as a folder, and checked to be the entry just looked at.
            Descriptor folder(::openat(here.fd.get(), part.name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            struct stat opened {};
            if (!folder || ::fstat(folder.get(), &opened) != 0 || !same(opened, info))
                return false;
            folders.push_back({std::move(folder), opened, path});
            continue;
        }
        if (!rest.empty())
            return give(Place::notRegular, path + " is no folder");
        folder_ = duplicate(here.fd);
        name_ = part.name;
        device_ = info.st_dev;
        inode_ = info.st_ino;
        mode_ = info.st_mode;
        found_.target = path;
        if (!S_ISREG(info.st_mode))
            return give(Place::notRegular, path + " is " + kindOf(info.st_mode));
        if (!me.ownsFile(info))
            return give(Place::notYours, path + " belongs to someone else");
        found_.size = static_cast<std::uintmax_t>(info.st_size);
        // Nothing is read of a file over the bound, nor reserved from its size: a sparse
        // file may claim more than memory holds.
        if (found_.size > maxBytes)
            return give(Place::tooLarge);
        // No controlling terminal and no waiting, should the entry turn into a device or
        // a pipe now; what was opened must be what was looked at.
        Descriptor opened(
            ::openat(here.fd.get(), part.name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
        if (!opened && errno != ELOOP) {
            const int error = errno;
            return give(Place::unreadable, "cannot open " + path + ": " + reason(error));
        }
        struct stat openedInfo {};
        if (!opened || ::fstat(opened.get(), &openedInfo) != 0 || !same(openedInfo, info))
            return false;
        if (const int error = readFrom(opened.get(), found_.content, maxBytes); error == EFBIG) {
            found_.size = std::max<std::uintmax_t>(found_.content.size(), static_cast<std::uintmax_t>(openedInfo.st_size));
            found_.content.clear();
            return give(Place::tooLarge);
        } else if (error != 0) {
            found_.content.clear();
            return give(Place::unreadable, "cannot read " + path + ": " + reason(error));
        }
        found_.size = found_.content.size();
        // Held open, the file keeps its inode number: no other file can take it on and
        // pass for it when the entry is checked before a change replaces it.
        file_ = std::move(opened);
        return give(Place::file);
    }
    return give(Place::folder);  // the path names "/" itself
}

void Kept::checkUnchanged() const
{
    struct stat now {};
    const bool present = ::fstatat(folder_.get(), name_.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0;
    const bool unchanged = found_.place == Place::empty ? !present && errno == ENOENT
                                                        : present && now.st_dev == device_ && now.st_ino == inode_;
    if (!unchanged)
        throwError(EAGAIN, found_.target.string() + " changed while it was being written");
}

void Kept::replace(std::string_view content) const
{
    if ((found_.place != Place::file && found_.place != Place::empty) || !folder_)
        throwError(EINVAL, "nothing to write at " + found_.target.string());
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = temporaryName(name_);
        fd = ::openat(folder_.get(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt >= 100))
            throwError(errno, "cannot create a file beside " + found_.target.string());
    }
    Descriptor created(fd);
    try {
        if (found_.place == Place::file && ::fchmod(created.get(), mode_ & 07777) != 0)
            throwError(errno, "cannot keep the permissions of " + found_.target.string());
        writeAll(created.get(), content, found_.target);
        if (::fsync(created.get()) != 0)
            throwError(errno, "cannot sync " + found_.target.string());
        if (::close(created.release()) != 0)
            throwError(errno, "cannot write " + found_.target.string());
        checkUnchanged();
        // Over the very file found, or where nothing is yet: never over something that
        // appeared meanwhile.
        const int error = found_.place == Place::file
                              ? (::renameat(folder_.get(), temporary.c_str(), folder_.get(), name_.c_str()) == 0 ? 0 : errno)
                              : renameNoReplace(folder_.get(), temporary, name_);
        if (error == EEXIST)
            throwError(EAGAIN, found_.target.string() + " appeared while it was being written");
        if (error != 0)
            throwError(error, "cannot replace " + found_.target.string());
    } catch (...) {
        ::unlinkat(folder_.get(), temporary.c_str(), 0);
        throw;
    }
    // The new name lasts a crash too; a folder that cannot be synced loses nothing now.
    const Descriptor synced(::openat(folder_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (synced)
        ::fsync(synced.get());
}

void Kept::remove() const
{
    if (found_.place != Place::file || found_.linked || !entryFolder_)
        throwError(EINVAL, "no file of the person's stands right at " + found_.target.string());
    checkUnchanged();
    if (::unlinkat(entryFolder_.get(), entryName_.c_str(), 0) != 0)
        throwError(errno, "cannot remove " + found_.target.string());
}

std::filesystem::path Kept::setAside(std::string_view reason, Date now) const
{
    if (!entryFolder_)
        throwError(EPERM, "the way to " + (found_.why.empty() ? found_.target.string() : found_.why) +
                              " is not the person's own");
    const std::string base = entryName_ + "." + std::string(reason) + "-" + stamp(now);
    for (int attempt = 1;; ++attempt) {
        const std::string aside = attempt == 1 ? base : base + "-" + Numbers::toText(attempt);
        const int error = renameNoReplace(entryFolder_.get(), entryName_, aside);
        if (error == 0)
            return std::filesystem::path(entryFolderPath_) / aside;
        if (error != EEXIST || attempt >= 1000)
            throwError(error, "cannot set aside " + (std::filesystem::path(entryFolderPath_) / entryName_).string());
    }
}

void Kept::removeLeftovers() const
{
    if ((found_.place != Place::file && found_.place != Place::empty) || !folder_)
        return;
    const int listed = ::openat(folder_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* folder = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!folder) {
        if (listed >= 0)
            ::close(listed);
        return;
    }
    const uid_t me = ::geteuid();
    while (const dirent* entry = ::readdir(folder)) {
        const auto pid = writerOf(entry->d_name, name_);
        // A writer that still runs may be about to rename its file into place.
        if (!pid || *pid == ::getpid() || ::kill(*pid, 0) == 0 || errno != ESRCH)
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == me)
            ::unlinkat(::dirfd(folder), entry->d_name, 0);
    }
    ::closedir(folder);
}

Found readKept(const std::filesystem::path& file, std::size_t maxBytes)
{
    return Kept::find(file, maxBytes).found();
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
    Descriptor opened;
    struct stat info {};
    if (openRegular(file, opened, info) != 0)
        return std::nullopt;
    std::string head;
    // Past the head is no failure: only the head is wanted.
    if (const int error = readFrom(opened.get(), head, maxBytes); error != 0 && error != EFBIG)
        return std::nullopt;
    head.resize(std::min(head.size(), maxBytes));
    return head;
}

} // namespace corvane::Files
