#pragma once

#include "Core/Date.hpp"

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace corvane {

// One row of the process table.
struct ProcessSample {
    int32_t pid = 0;
    int32_t ppid = 0;
    uint32_t uid = 0;
    std::string user;
    double cpuTime = 0;   // cumulative user + system seconds
    int64_t rssBytes = 0;
    double psCPU = 0;     // the table's own CPU percent
    std::string path;     // full executable path, or a bare name for kernel processes
    // What the table cannot print, read where the system offers it: the desktop entry
    // id the process's session unit names (empty when none), when it started, in
    // seconds after boot (0 when unknown), and its leading arguments (as
    // ProcessIdentity holds them).
    std::string appScope{};
    double startTime = 0;
    std::string arguments{};

    std::string name() const;

    bool operator==(const ProcessSample&) const = default;
};

// One sampling of the process table.
struct Snapshot {
    Date takenAt;
    std::vector<ProcessSample> processes;

    bool operator==(const Snapshot&) const = default;
};

// The process-table tool exited with a non-zero status.
class SamplerError : public std::exception {
public:
    enum class Case { psFailed };

    static SamplerError psFailed(int32_t status) { return SamplerError(status); }

    Case kind() const { return Case::psFailed; }
    int32_t status() const { return status_; }
    const char* what() const noexcept override { return message_.c_str(); }

    bool operator==(const SamplerError& other) const { return status_ == other.status_; }

private:
    explicit SamplerError(int32_t status);
    int32_t status_;
    std::string message_;
};

// Takes a snapshot of the machine's processes.
class ProcessSource {
public:
    virtual ~ProcessSource() = default;
    virtual Snapshot sample() = 0;
};

} // namespace corvane
