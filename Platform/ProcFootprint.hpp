#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace corvane::ProcFootprint {

// A process's physical footprint: its anonymous resident memory plus what of it
// sits in swap (RssAnon + VmSwap of /proc/PID/status), in bytes. Nothing when the
// process is gone or has no user memory (kernel threads).
std::optional<int64_t> read(const std::filesystem::path& procRoot, int32_t pid);

} // namespace corvane::ProcFootprint
