#include "Core/Files.hpp"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace corvane::Files {
namespace {

// Plain reads rather than streams: this runs for several files of every process on
// each tick. Returns 0, or the errno of the failure.
int readInto(const std::filesystem::path& file, std::string& content, std::size_t maxBytes)
{
    // Non-blocking so that opening a pipe does not wait for a writer.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return error;
    }
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

} // namespace

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

} // namespace corvane::Files
