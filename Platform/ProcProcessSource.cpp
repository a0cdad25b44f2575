#include "Platform/ProcProcessSource.hpp"

#include "Core/Files.hpp"
#include "Core/Numbers.hpp"
#include "Core/Text.hpp"
#include "Platform/BootClock.hpp"
#include "Platform/ProcFS.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace corvane {

namespace {

constexpr uint32_t kernelThreadFlag = 0x00200000;  // PF_KTHREAD

// The fields of /proc/PID/stat the table needs.
struct Stat {
    int32_t ppid = 0;
    uint32_t flags = 0;
    uint64_t cpuTicks = 0;  // utime + stime
    uint64_t startTicks = 0;
    int64_t rssPages = 0;
};

// The command name sits in parentheses and may itself hold spaces and ")", so the
// numeric fields start after the last ")". Counted from there: 1 ppid, 6 flags,
// 11 utime, 12 stime, 19 starttime, 21 rss.
std::optional<Stat> parseStat(std::string_view text)
{
    const auto close = text.rfind(')');
    if (close == std::string_view::npos)
        return std::nullopt;
    const auto words = Text::splitSkippingEmpty(Text::trim(text.substr(close + 1)), ' ');
    if (words.size() < 22)
        return std::nullopt;
    const auto ppid = Numbers::parseInt<int32_t>(words[1]);
    const auto flags = Numbers::parseInt<uint32_t>(words[6]);
    const auto utime = Numbers::parseInt<uint64_t>(words[11]);
    const auto stime = Numbers::parseInt<uint64_t>(words[12]);
    const auto start = Numbers::parseInt<uint64_t>(words[19]);
    const auto rss = Numbers::parseInt<int64_t>(words[21]);
    if (!ppid || !flags || !utime || !stime || !start || !rss || *rss < 0)
        return std::nullopt;
    uint64_t cpuTicks = 0;
    if (__builtin_add_overflow(*utime, *stime, &cpuTicks))
        return std::nullopt;
    return Stat{*ppid, *flags, cpuTicks, *start, *rss};
}

std::string lookUpUser(uint32_t uid)
{
    const long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : 1024);
    passwd entry{};
    passwd* found = nullptr;
    int status = 0;
    while ((status = ::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found)) == ERANGE
           && buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (status == 0 && found != nullptr && found->pw_name != nullptr)
        return found->pw_name;
    return Numbers::toText(uid);
}

} // namespace

ProcProcessSource::Units ProcProcessSource::Units::system()
{
    const long ticks = ::sysconf(_SC_CLK_TCK);
    const long page = ::sysconf(_SC_PAGESIZE);
    return Units{ticks > 0 ? ticks : 100, page > 0 ? page : 4096};
}

ProcProcessSource::ProcProcessSource(std::filesystem::path procRoot, Units units)
    : procRoot_(std::move(procRoot)),
      units_{std::max<int64_t>(units.ticksPerSecond, 1), std::max<int64_t>(units.pageSize, 1)}
{
}

Snapshot ProcProcessSource::sample()
{
    const auto pids = ProcFS::listPids(procRoot_);
    // The finer figure first, as ps does.
    auto uptime = BootClock::uptime(procRoot_);
    if (!uptime)
        uptime = BootClock::sinceBootTime(procRoot_);
    std::vector<ProcessSample> processes;
    processes.reserve(pids.size());
    for (const int32_t pid : pids) {
        if (auto sample = read(pid, uptime))
            processes.push_back(std::move(*sample));
    }
    return Snapshot{std::chrono::system_clock::now(), std::move(processes)};
}

// Nothing when the process is a kernel thread, has gone away between the listing
// and the read, or its files do not parse.
std::optional<ProcessSample> ProcProcessSource::read(int32_t pid, std::optional<double> uptime)
{
    const auto text = Files::read(procRoot_ / Numbers::toText(pid) / "stat");
    if (!text)
        return std::nullopt;
    const auto stat = parseStat(*text);
    if (!stat || (stat->flags & kernelThreadFlag) != 0)
        return std::nullopt;
    const auto rssBytes = Numbers::multiply(stat->rssPages, units_.pageSize);
    if (!rssBytes)
        return std::nullopt;
    const auto uid = ProcFS::effectiveUID(procRoot_, pid);
    if (!uid)
        return std::nullopt;
    auto path = ProcFS::executablePath(procRoot_, pid);
    if (!path)
        return std::nullopt;

    const double ticks = static_cast<double>(units_.ticksPerSecond);
    const double cpuTime = static_cast<double>(stat->cpuTicks) / ticks;
    // As ps figures %cpu: CPU time over the time since the process started.
    double psCPU = 0;
    if (uptime) {
        const double elapsed = *uptime - static_cast<double>(stat->startTicks) / ticks;
        if (elapsed > 0)
            psCPU = cpuTime / elapsed * 100;
    }
    return ProcessSample{pid, stat->ppid, *uid, userName(*uid), cpuTime, *rssBytes, psCPU, std::move(*path)};
}

const std::string& ProcProcessSource::userName(uint32_t uid)
{
    auto found = users_.find(uid);
    if (found == users_.end())
        found = users_.emplace(uid, lookUpUser(uid)).first;
    return found->second;
}

} // namespace corvane
