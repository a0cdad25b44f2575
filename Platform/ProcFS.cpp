#include "Platform/ProcFS.hpp"

#include "Core/Files.hpp"
#include "Core/Numbers.hpp"
#include "Core/Text.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace corvane::ProcFS {
namespace {

constexpr std::size_t mostRead = 1 << 20;

// One read call, retried only when a signal interrupted it.
ssize_t readSome(int fd, char* into, std::size_t size)
{
    ssize_t n = 0;
    do {
        n = ::read(fd, into, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

bool readRest(int fd, std::string& text)
{
    char chunk[16384];
    for (;;) {
        const ssize_t n = readSome(fd, chunk, sizeof chunk);
        if (n < 0 || text.size() + static_cast<std::size_t>(n) > mostRead)
            return false;
        if (n == 0)
            return true;
        text.append(chunk, static_cast<std::size_t>(n));
    }
}

[[noreturn]] void fail(const fs::path& path, int error)
{
    throw fs::filesystem_error("cannot list processes", path, std::error_code(error, std::generic_category()));
}

} // namespace

bool readFile(int folder, const char* relative, FileText& text)
{
    text.size_ = 0;
    text.spill_.clear();
    const int fd = ::openat(folder, relative, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const ssize_t n = readSome(fd, text.inline_.data(), text.inline_.size());
    bool good = n >= 0;
    if (good)
        text.size_ = static_cast<std::size_t>(n);
    if (good && text.size_ == text.inline_.size()) {
        text.spill_.assign(text.inline_.data(), text.size_);
        good = readRest(fd, text.spill_);
    }
    ::close(fd);
    if (!good) {
        text.size_ = 0;
        text.spill_.clear();
    }
    return good;
}

Root::Root(const fs::path& path) : path_(path)
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        fail(path, errno);
}

Root::~Root()
{
    ::close(fd_);
}

std::vector<Entry> Root::processes() const
{
    // The listing needs a descriptor of its own: closedir closes it.
    const int listing = ::openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* folder = listing < 0 ? nullptr : ::fdopendir(listing);
    if (folder == nullptr) {
        const int error = errno;
        if (listing >= 0)
            ::close(listing);
        fail(path_, error);
    }
    std::vector<Entry> entries;
    while (const dirent* entry = ::readdir(folder)) {
        if (const auto pid = Numbers::parseInt<int32_t>(entry->d_name))
            entries.push_back({*pid, static_cast<uint64_t>(entry->d_ino)});
    }
    ::closedir(folder);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.pid < b.pid; });
    return entries;
}

std::optional<uint32_t> Root::owner(const char* relative) const
{
    struct stat info {};
    if (::fstatat(fd_, relative, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return static_cast<uint32_t>(info.st_uid);
}

std::optional<std::string_view> Root::readLink(const char* relative, std::array<char, 4096>& buffer) const
{
    const ssize_t n = ::readlinkat(fd_, relative, buffer.data(), buffer.size());
    // A full buffer may hold a cut-off target; the kernel never makes one that long.
    if (n < 0 || static_cast<std::size_t>(n) >= buffer.size())
        return std::nullopt;
    return std::string_view(buffer.data(), static_cast<std::size_t>(n));
}

ProcessFile::ProcessFile(int32_t pid, std::string_view name)
{
    char* end = text_.data() + text_.size() - 1;  // room for the terminating zero
    char* cursor = std::to_chars(text_.data(), end, pid).ptr;
    if (!name.empty() && cursor + 1 + name.size() <= end) {
        *cursor++ = '/';
        cursor = std::copy(name.begin(), name.end(), cursor);
    }
    *cursor = '\0';
}

std::vector<int32_t> listPids(const fs::path& procRoot)
{
    std::vector<int32_t> pids;
    for (const Entry& entry : Root(procRoot).processes())
        pids.push_back(entry.pid);
    return pids;
}

std::optional<std::string_view> fieldView(std::string_view text, std::string_view key)
{
    // Keys start lines; the kernel escapes line breaks inside values.
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == ':')
            return Text::trim(line.substr(key.size() + 1));
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<std::string> field(std::string_view text, std::string_view key)
{
    const auto value = fieldView(text, key);
    if (!value)
        return std::nullopt;
    return std::string(*value);
}

std::optional<uint32_t> effectiveUID(const fs::path& procRoot, int32_t pid)
{
    const auto status = Files::read(procRoot / Numbers::toText(pid) / "status");
    if (!status)
        return std::nullopt;
    const auto uids = field(*status, "Uid");  // real, effective, saved, filesystem
    if (!uids)
        return std::nullopt;
    const auto parts = Text::splitSkippingEmpty(*uids, '\t');
    const auto words = parts.size() >= 2 ? parts : Text::splitSkippingEmpty(*uids, ' ');
    if (words.size() < 2)
        return std::nullopt;
    return Numbers::parseInt<uint32_t>(words[1]);
}

// The command name may hold spaces and ")", so the numeric fields start after the
// last ")". Counted from there: 0 state, 1 ppid, 4 tty_nr, 6 flags, 11 utime,
// 12 stime, 19 starttime, 21 rss.
std::optional<Stat> parseStat(std::string_view text)
{
    const auto open = text.find('(');
    const auto close = text.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    std::array<std::string_view, 22> words;
    std::size_t count = 0;
    const auto separator = [](char c) { return c == ' ' || c == '\n'; };
    for (std::size_t i = close + 1; count < words.size();) {
        while (i < text.size() && separator(text[i]))
            ++i;
        if (i == text.size())
            break;
        std::size_t end = i;
        while (end < text.size() && !separator(text[end]))
            ++end;
        words[count++] = text.substr(i, end - i);
        i = end;
    }
    if (count < words.size() || words[0].size() != 1)
        return std::nullopt;
    const auto ppid = Numbers::parseInt<int32_t>(words[1]);
    const auto terminal = Numbers::parseInt<int32_t>(words[4]);
    const auto flags = Numbers::parseInt<uint32_t>(words[6]);
    const auto utime = Numbers::parseInt<uint64_t>(words[11]);
    const auto stime = Numbers::parseInt<uint64_t>(words[12]);
    const auto start = Numbers::parseInt<uint64_t>(words[19]);
    const auto rss = Numbers::parseInt<int64_t>(words[21]);
    if (!ppid || !terminal || !flags || !utime || !stime || !start || !rss || *rss < 0)
        return std::nullopt;
    uint64_t cpuTicks = 0;
    if (__builtin_add_overflow(*utime, *stime, &cpuTicks))
        return std::nullopt;
    return Stat{text.substr(open + 1, close - open - 1), words[0][0], *ppid, *terminal, *flags, cpuTicks, *start, *rss};
}

std::optional<Stat> stat(const fs::path& procRoot, int32_t pid)
{
    FileText text;
    if (!readFile(AT_FDCWD, (procRoot / Numbers::toText(pid) / "stat").c_str(), text))
        return std::nullopt;
    auto parsed = parseStat(text.view());
    if (parsed)
        parsed->comm = {};
    return parsed;
}

std::optional<std::string> pathFromLink(std::string_view target)
{
    if (target.empty() || target.starts_with("/memfd:"))
        return std::nullopt;
    constexpr std::string_view deleted = " (deleted)";
    if (target.ends_with(deleted))
        target.remove_suffix(deleted.size());
    return std::string(target);
}

std::optional<std::string> absoluteArgv0(std::string_view cmdline)
{
    const std::string_view argv0 = cmdline.substr(0, cmdline.find('\0'));
    if (!argv0.starts_with('/'))
        return std::nullopt;
    return std::string(argv0);
}

std::string leadingArguments(std::string_view cmdline)
{
    // Enough to tell a script's path or a program's mode; the rest may be anything
    // anyone gave the process.
    constexpr std::size_t maxArguments = 8, maxBytes = 1024;
    std::string result;
    std::size_t start = 0, count = 0;
    while (start < cmdline.size() && count < maxArguments) {
        auto end = cmdline.find('\0', start);
        if (end == std::string_view::npos)
            end = cmdline.size();
        if (result.size() + end - start + 1 > maxBytes)
            break;
        result.append(cmdline.substr(start, end - start)).push_back('\0');
        start = end + 1;
        ++count;
    }
    return result;
}

std::string arguments(const fs::path& procRoot, int32_t pid)
{
    const auto cmdline = Files::read(procRoot / Numbers::toText(pid) / "cmdline", mostRead);
    return cmdline ? leadingArguments(*cmdline) : std::string();
}

std::optional<std::string> executablePath(const fs::path& procRoot, int32_t pid)
{
    const fs::path folder = procRoot / Numbers::toText(pid);
    std::array<char, 4096> target;
    const ssize_t n = ::readlink((folder / "exe").c_str(), target.data(), target.size());
    if (n > 0 && static_cast<std::size_t>(n) < target.size()) {
        if (auto path = pathFromLink(std::string_view(target.data(), static_cast<std::size_t>(n))))
            return path;
    }
    // Bounded as the tick bounds it, so both find the same path: anyone may give a
    // process a command line as long as they like.
    if (const auto cmdline = Files::read(folder / "cmdline", mostRead)) {
        if (auto argv0 = absoluteArgv0(*cmdline))
            return argv0;
    }
    if (auto comm = Files::read(folder / "comm")) {
        if (!comm->empty() && comm->back() == '\n')
            comm->pop_back();
        return comm;
    }
    return std::nullopt;
}

} // namespace corvane::ProcFS
