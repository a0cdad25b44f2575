#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace corvane {

// The "Key:   value kB" lines of /proc/meminfo (and of /proc/PID/status, which
// uses the same form). Lines whose value is not a count are left out.
class MemInfo {
public:
    explicit MemInfo(std::string_view text);

    // root/proc/meminfo, or nothing when it cannot be read.
    static std::optional<MemInfo> read(const std::filesystem::path& root = "/");

    // The value in bytes (a "kB" figure times 1024), or nothing when absent or too large.
    std::optional<int64_t> bytes(std::string_view key) const;

    // One line's value ("  600 kB") in bytes, or nothing when it is not a count.
    static std::optional<int64_t> valueBytes(std::string_view value);

    // MemTotal; 0 when absent.
    int64_t totalBytes() const;
    // SwapTotal - SwapFree; 0 when either is absent.
    int64_t swapUsedBytes() const;

private:
    std::unordered_map<std::string, int64_t> bytes_;
};

} // namespace corvane
