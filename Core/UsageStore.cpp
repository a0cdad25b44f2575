#include "Core/UsageStore.hpp"

#include "Core/Files.hpp"
#include "Core/Numbers.hpp"
#include "Core/Text.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace fs = std::filesystem;

namespace corvane {
namespace {

std::string padded(long long value, std::size_t width)
{
    std::string text = Numbers::toText(value);
    if (text.size() < width)
        text.insert(0, width - text.size(), '0');
    return text;
}

[[noreturn]] void throwFileError(const fs::path& file, const char* what)
{
    throw std::system_error(errno, std::generic_category(), std::string(what) + " " + file.string());
}

// True when the file holds bytes and its last one is not a line feed: an earlier
// write was cut short, and the next record must not be glued to that piece.
bool endsInTornLine(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_size == 0)
        return false;
    char last = '\n';
    return ::pread(fd, &last, 1, info.st_size - 1) == 1 && last != '\n';
}

// Writes all bytes; one call in practice, continuing only after a short write.
void writeAll(int fd, std::string_view bytes, const fs::path& file)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwFileError(file, "cannot write");
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// `days` whole days before `now`, held within the range of Date so that no count overflows it.
Date daysBefore(Date now, int days)
{
    using std::chrono::floor;
    const auto earliest = floor<std::chrono::days>(Date::min()) + std::chrono::days(1);
    const auto latest = floor<std::chrono::days>(Date::max());
    const auto day = std::clamp(floor<std::chrono::days>(now) - std::chrono::days(days), earliest, latest);
    return std::chrono::time_point_cast<Date::duration>(day);
}

} // namespace

void UsageStore::append(const MinuteRecord& record) const
{
    fs::create_directories(directory);
    const fs::path file = directory / dayName(startOfMinute(record.t));
    std::string line = record.encode() + "\n";

    // Append-only, so an existing day is never truncated or rewritten; readable to see its last byte.
    const int fd = ::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        throwFileError(file, "cannot open");
    try {
        if (endsInTornLine(fd))
            line.insert(0, "\n");
        writeAll(fd, line, file);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);  // a failed close loses nothing already written
}

std::vector<MinuteRecord> UsageStore::load(Date since) const
{
    return read(Bound{dayName(since), minuteOf(since)});
}

std::vector<MinuteRecord> UsageStore::load() const
{
    return read(std::nullopt);
}

std::vector<MinuteRecord> UsageStore::read(const std::optional<Bound>& bound) const
{
    std::vector<MinuteRecord> records;
    for (const auto& file : files()) {
        if (bound && file.filename().string() < bound->dayName)
            continue;
        const auto text = Files::read(file);
        if (!text)
            continue;
        // Line by line, so one torn or corrupt line costs only itself.
        for (const auto line : Text::splitSkippingEmpty(*text, '\n')) {
            const auto record = MinuteRecord::decode(line);
            if (record && (!bound || record->t >= bound->minute))
                records.push_back(*record);
        }
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const MinuteRecord& a, const MinuteRecord& b) { return a.t < b.t; });
    return records;
}

void UsageStore::prune(int olderThanDays, Date now) const
{
    const std::string cutoff = dayName(daysBefore(now, olderThanDays));
    for (const auto& file : files()) {
        if (file.filename().string() < cutoff)
            fs::remove(file);
    }
}

void UsageStore::clear() const
{
    for (const auto& file : files())
        fs::remove(file);
}

std::vector<fs::path> UsageStore::files() const
{
    std::vector<fs::path> result;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        const std::string name = path.filename().string();
        std::error_code typeError;
        // Only regular files: a folder that happens to carry such a name is not history.
        if (name.starts_with("usage-") && path.extension() == ".jsonl" && it->is_regular_file(typeError))
            result.push_back(path);
    }
    std::sort(result.begin(), result.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename().string() < b.filename().string(); });
    return result;
}

std::string UsageStore::dayName(Date date)
{
    const std::chrono::year_month_day day{std::chrono::floor<std::chrono::days>(date)};
    return "usage-" + padded(static_cast<int>(day.year()), 4) + "-" +
           padded(static_cast<unsigned>(day.month()), 2) + "-" + padded(static_cast<unsigned>(day.day()), 2) +
           ".jsonl";
}

} // namespace corvane
