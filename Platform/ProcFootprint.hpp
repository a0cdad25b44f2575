#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace corvane::ProcFootprint {

// A process's physical footprint: its anonymous resident memory plus what of it
// sits in swap (RssAnon + VmSwap of /proc/PID/status), in bytes. Nothing when the
// process is gone or has no user memory (kernel threads).
std::optional<int64_t> read(const std::filesystem::path& procRoot, int32_t pid);

// Footprints of many processes at one moment, as a monitor tick reads them. While
// nothing at all is in swap, no process has swapped memory, and the anonymous
// resident memory is resident less shared pages of /proc/PID/statm, a file the
// kernel makes far more cheaply than status; otherwise each read is as read().
class Reader {
public:
    // Reads the machine's swap use once, from procRoot/meminfo.
    explicit Reader(std::filesystem::path procRoot, int64_t pageSize);

    std::optional<int64_t> read(int32_t pid) const;

private:
    std::filesystem::path procRoot_;
    int64_t pageSize_;
    bool swapInUse_;
};

} // namespace corvane::ProcFootprint
