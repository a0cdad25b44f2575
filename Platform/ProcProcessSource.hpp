#pragma once

#include "Core/ProcessSource.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace corvane {

namespace ProcFS {
class Root;
struct Entry;
} // namespace ProcFS

// The process table read from /proc. Linux's ps prints truncated task names
// instead of executable paths and whole seconds of CPU time, so the system reads
// the kernel's own files. Kernel threads are left out.
//
// A source keeps what changes only when a process starts a program (its path and
// arguments) or seldom (being a kernel thread, its app unit) between samples, and a cache of user names;
// sample it from one thread at a time.
class ProcProcessSource : public ProcessSource {
public:
    // The kernel's units: clock ticks per second and bytes per page.
    struct Units {
        int64_t ticksPerSecond = 100;
        int64_t pageSize = 4096;

        static Units system();
    };

    explicit ProcProcessSource(std::filesystem::path procRoot = "/proc", Units units = Units::system());

    // Throws std::filesystem::filesystem_error when the root cannot be listed.
    Snapshot sample() override;

private:
    // What is kept of one process, valid while its pid and start time hold.
    struct Known {
        uint64_t startTicks = 0;
        uint64_t inode = 0;  // of its /proc folder
        bool kernelThread = false;
        bool resolved = false;      // path holds a value for this process
        bool exeReadable = false;
        bool pathFromLink = false;  // else from argv[0] or the command name
        std::string exeLink;        // the exe link the path was worked out from
        std::string comm;           // the command name it was worked out with
        std::string path;
        bool argumentsRead = false;  // for the program path holds
        SharedText arguments;
        bool scopeRead = false;
        double scopeReadAt = 0;  // seconds after boot
        std::string appScope;  // the app its session unit names
        uint64_t seenInSample = 0;
    };

    std::optional<ProcessSample> read(const ProcFS::Root& root, const ProcFS::Entry& entry,
                                      std::optional<double> uptime);
    const std::string& pathOf(const ProcFS::Root& root, int32_t pid, std::string_view comm, Known& known);
    const std::string& appScopeOf(const ProcFS::Root& root, int32_t pid, Known& known, double startTime,
                                  std::optional<double> uptime);
    const SharedText& argumentsOf(const ProcFS::Root& root, int32_t pid, Known& known);
    const std::string& userName(uint32_t uid);

    std::filesystem::path procRoot_;
    Units units_;
    std::unordered_map<uint32_t, std::string> users_;
    std::unordered_map<int32_t, Known> known_;
    uint64_t samples_ = 0;
};

} // namespace corvane
