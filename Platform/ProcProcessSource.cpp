#include "Platform/ProcProcessSource.hpp"

#include "Core/Numbers.hpp"
#include "Platform/AppScope.hpp"
#include "Platform/BootClock.hpp"
#include "Platform/ProcFS.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace corvane {

namespace {

constexpr uint32_t kernelThreadFlag = 0x00200000;  // PF_KTHREAD

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
    const ProcFS::Root root(procRoot_);
    const auto entries = root.processes();
    ++samples_;
    // The finer figure first, as ps does.
    auto uptime = BootClock::uptime(procRoot_);
    if (!uptime)
        uptime = BootClock::sinceBootTime(procRoot_);
    std::vector<ProcessSample> processes;
    processes.reserve(entries.size());
    for (const auto& entry : entries) {
        if (auto sample = read(root, entry, uptime))
            processes.push_back(std::move(*sample));
    }
    std::erase_if(known_, [this](const auto& item) { return item.second.seenInSample != samples_; });
    return Snapshot{std::chrono::system_clock::now(), std::move(processes)};
}

// Nothing when the process is a kernel thread, has gone away between the listing
// and the read, or its files do not parse.
std::optional<ProcessSample> ProcProcessSource::read(const ProcFS::Root& root, const ProcFS::Entry& entry,
                                                     std::optional<double> uptime)
{
    const int32_t pid = entry.pid;
    auto found = known_.find(pid);
    // The kernel gives a process's folder a new inode when its pid is reused, so a
    // known kernel thread whose folder is unchanged is still that thread. (It lists
    // inode 1 when it could not make the folder's inode, which proves nothing.)
    if (found != known_.end() && found->second.kernelThread && entry.inode > 1
        && found->second.inode == entry.inode) {
        found->second.seenInSample = samples_;
        return std::nullopt;
    }
    ProcFS::FileText text;
    if (!root.read(ProcFS::ProcessFile(pid, "stat").c_str(), text))
        return std::nullopt;
    const auto stat = ProcFS::parseStat(text.view());
    if (!stat)
        return std::nullopt;
    if (found == known_.end() || found->second.startTicks != stat->startTicks || found->second.inode != entry.inode) {
        Known fresh;
        fresh.startTicks = stat->startTicks;
        fresh.inode = entry.inode;
        found = known_.insert_or_assign(pid, std::move(fresh)).first;
    }
    Known& known = found->second;
    known.seenInSample = samples_;
    if ((stat->flags & kernelThreadFlag) != 0) {
        known.kernelThread = true;
        return std::nullopt;
    }
    const auto rssBytes = Numbers::multiply(stat->rssPages, units_.pageSize);
    if (!rssBytes)
        return std::nullopt;
    // Read on every sample: a process may change its user at any time.
    const auto uid = root.owner(ProcFS::ProcessFile(pid, {}).c_str());
    if (!uid)
        return std::nullopt;

    const double ticks = static_cast<double>(units_.ticksPerSecond);
    const double cpuTime = static_cast<double>(stat->cpuTicks) / ticks;
    // As ps figures %cpu: CPU time over the time since the process started.
    const double startTime = static_cast<double>(stat->startTicks) / ticks;
    double psCPU = 0;
    if (uptime) {
        const double elapsed = *uptime - startTime;
        if (elapsed > 0)
            psCPU = cpuTime / elapsed * 100;
    }
    const auto& path = pathOf(root, pid, stat->comm, known);
    return ProcessSample{pid,
                         stat->ppid,
                         *uid,
                         userName(*uid),
                         cpuTime,
                         *rssBytes,
                         psCPU,
                         path,
                         appScopeOf(root, pid, known, startTime, uptime),
                         startTime,
                         argumentsOf(root, pid, known),
                         stat->terminal != 0};
}

// A desktop puts an app in its unit as it starts it, but some (GLib, GNOME Shell)
// move a freshly started child there a moment later: a young process outside any
// app unit is read again, at most once a second, until it is in one or a minute
// has passed.
const std::string& ProcProcessSource::appScopeOf(const ProcFS::Root& root, int32_t pid, Known& known,
                                                 double startTime, std::optional<double> uptime)
{
    constexpr double settlingSeconds = 60, rereadSeconds = 1;
    const bool settling = uptime && known.appScope.empty() && *uptime - startTime < settlingSeconds
                          && *uptime - known.scopeReadAt >= rereadSeconds;
    if (!known.scopeRead || settling) {
        known.scopeRead = true;
        known.scopeReadAt = uptime.value_or(0);
        ProcFS::FileText cgroup;
        if (root.read(ProcFS::ProcessFile(pid, "cgroup").c_str(), cgroup))
            known.appScope = AppScope::fromCgroupFile(cgroup.view());
    }
    return known.appScope;
}

// Read again only when the process starts another program.
const SharedText& ProcProcessSource::argumentsOf(const ProcFS::Root& root, int32_t pid, Known& known)
{
    if (!known.argumentsRead) {
        known.argumentsRead = true;
        ProcFS::FileText cmdline;
        known.arguments = root.read(ProcFS::ProcessFile(pid, "cmdline").c_str(), cmdline)
                              ? ProcFS::leadingArguments(cmdline.view())
                              : SharedText();
    }
    return known.arguments;
}

// The executable: the exe link's target, else an absolute argv[0], else the
// command name. Starting another program keeps the pid and start time but
// changes the exe link, so the link (one call) tells whether the kept path still
// holds. Where it cannot be read (another user's process), a changed command name
// is the sign: a new program brings its own name. A link that names no file (a
// program run from an anonymous memory file) stays the same when the program
// renames itself, so a path not taken from the link also follows the name.
const std::string& ProcProcessSource::pathOf(const ProcFS::Root& root, int32_t pid, std::string_view comm,
                                             Known& known)
{
    std::array<char, 4096> buffer;
    const auto link = root.readLink(ProcFS::ProcessFile(pid, "exe").c_str(), buffer);
    if (link) {
        if (known.resolved && known.exeReadable && *link == known.exeLink
            && (known.pathFromLink || comm == known.comm))
            return known.path;
        known.exeLink.assign(*link);
    } else {
        if (known.resolved && !known.exeReadable && comm == known.comm)
            return known.path;
        known.exeLink.clear();
    }
    known.resolved = true;
    known.argumentsRead = false;
    known.exeReadable = link.has_value();
    known.comm.assign(comm);
    known.pathFromLink = false;
    if (link) {
        if (auto path = ProcFS::pathFromLink(*link)) {
            known.path = std::move(*path);
            known.pathFromLink = true;
            return known.path;
        }
    }
    ProcFS::FileText cmdline;
    if (root.read(ProcFS::ProcessFile(pid, "cmdline").c_str(), cmdline)) {
        if (auto argv0 = ProcFS::absoluteArgv0(cmdline.view())) {
            known.path = std::move(*argv0);
            return known.path;
        }
    }
    known.path.assign(comm);
    return known.path;
}

const std::string& ProcProcessSource::userName(uint32_t uid)
{
    auto found = users_.find(uid);
    if (found == users_.end())
        found = users_.emplace(uid, lookUpUser(uid)).first;
    return found->second;
}

} // namespace corvane
