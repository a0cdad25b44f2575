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

constexpr std::size_t minutesPerDay = 1440;

[[noreturn]] void throwFileError(const fs::path& file, const char* what)
{
    throw std::system_error(errno, std::generic_category(), std::string(what) + " " + file.string());
}

// The size of the open day file. Only a regular file holds history: a record written
// into a pipe or device named like a day file would be lost, so that is an error.
off_t regularFileSize(int fd, const fs::path& file)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        throwFileError(file, "cannot inspect");
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        throwFileError(file, "is not a regular file:");
    }
    return info.st_size;
}

// True when the file holds bytes and its last one is not a line feed: an earlier
// write was cut short, and the next record must not be glued to that piece.
bool endsInTornLine(int fd, off_t size)
{
    char last = '\n';
    return size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last != '\n';
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

    // Append-only, so an existing day is never truncated or rewritten; readable to see its
    // last byte. A link planted in its place is refused rather than followed out of the
    // folder, and a pipe does not hold the open up.
    const int fd = ::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0)
        throwFileError(file, "cannot open");
    try {
        if (endsInTornLine(fd, regularFileSize(fd, file)))
            line.insert(0, "\n");
        Files::writeAll(fd, line, file);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);  // a failed close loses nothing already written
}

std::vector<MinuteRecord> UsageStore::load(Date since, Date now) const
{
    const Date latest = now + aheadAllowed;
    return read(Bound{dayName(since), dayName(latest), minuteOf(since), minuteOf(latest)});
}

std::vector<MinuteRecord> UsageStore::load() const
{
    return read(std::nullopt);
}

std::vector<MinuteRecord> UsageStore::read(const std::optional<Bound>& bound) const
{
    auto found = files();
    if (bound)
        std::erase_if(found, [&](const fs::path& file) {
            const std::string name = file.filename().string();
            return name < bound->firstDay || name > bound->lastDay;
        });
    // The bound is spent on the newest days first, so that a load it stops keeps the
    // recent history; the days within it are then read in order.
    std::size_t first = found.size();
    for (std::size_t planned = 0; first > 0; --first) {
        std::error_code unknown;
        const auto size = fs::file_size(found[first - 1], unknown);
        // A day over the per-file bound is skipped as unreadable, and costs nothing.
        if (unknown || size > Files::defaultMaxBytes)
            continue;
        if (size > maxLoadBytes - planned) {
            if (onLoadCut)
                onLoadCut("history load stopped at " + Numbers::toText(maxLoadBytes >> 20) + " MiB: " +
                          found[first - 1].filename().string() + " and the days before it were not read");
            break;
        }
        planned += size;
    }
    std::vector<MinuteRecord> records;
    records.reserve((found.size() - first) * minutesPerDay);  // a day file holds a record a minute
    std::size_t read = 0;
    for (std::size_t i = first; i < found.size(); ++i) {
        // Never past the bound in all, should a day have grown since it was measured.
        const auto text = Files::read(found[i], std::min(maxLoadBytes - read, Files::defaultMaxBytes));
        if (!text)
            continue;
        read += text->size();
        // Line by line, so one torn or corrupt line costs only itself.
        for (const auto line : Text::splitSkippingEmpty(*text, '\n')) {
            const auto record = MinuteRecord::decode(line);
            if (record && (!bound || (record->t >= bound->firstMinute && record->t <= bound->lastMinute)))
                records.push_back(*record);
        }
    }
    // Days are read in order and written a minute at a time, so this is usually already sorted.
    const auto earlier = [](const MinuteRecord& a, const MinuteRecord& b) { return a.t < b.t; };
    if (!std::is_sorted(records.begin(), records.end(), earlier))
        std::stable_sort(records.begin(), records.end(), earlier);
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

bool UsageStore::isDayName(std::string_view name)
{
    // usage-yyyy-MM-dd.jsonl
    if (name.size() != 22 || !name.starts_with("usage-") || !name.ends_with(".jsonl") || name[10] != '-' ||
        name[13] != '-')
        return false;
    const auto year = Numbers::parseInt<unsigned>(name.substr(6, 4));
    const auto month = Numbers::parseInt<unsigned>(name.substr(11, 2));
    const auto day = Numbers::parseInt<unsigned>(name.substr(14, 2));
    if (!year || !month || !day)
        return false;
    return std::chrono::year_month_day(std::chrono::year(static_cast<int>(*year)), std::chrono::month(*month),
                                       std::chrono::day(*day))
        .ok();
}

std::vector<fs::path> UsageStore::files() const
{
    std::vector<fs::path> result;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        std::error_code typeError;
        // Only plain files: a folder, or a link, that happens to carry such a name is not history.
        if (isDayName(path.filename().string()) && it->symlink_status(typeError).type() == fs::file_type::regular)
            result.push_back(path);
    }
    std::sort(result.begin(), result.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename().string() < b.filename().string(); });
    return result;
}

std::string UsageStore::dayName(Date date)
{
    const std::chrono::year_month_day day{std::chrono::floor<std::chrono::days>(date)};
    return "usage-" + Numbers::toText(static_cast<int>(day.year()), 4) + "-" +
           Numbers::toText(static_cast<unsigned>(day.month()), 2) + "-" + Numbers::toText(static_cast<unsigned>(day.day()), 2) +
           ".jsonl";
}

} // namespace corvane
