#pragma once

#include "Core/ProcessSource.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>

namespace corvane {

// The process table read from /proc. Linux's ps prints truncated task names
// instead of executable paths and whole seconds of CPU time, so the system reads
// the kernel's own files. Kernel threads are left out.
//
// One source keeps a cache of user names; sample it from one thread at a time.
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
    std::optional<ProcessSample> read(int32_t pid, std::optional<double> uptime);
    const std::string& userName(uint32_t uid);

    std::filesystem::path procRoot_;
    Units units_;
    std::unordered_map<uint32_t, std::string> users_;
};

} // namespace corvane
