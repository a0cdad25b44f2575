#pragma once

#include "Core/Date.hpp"

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Text that the copies of a sample share: a tick copies every process several times,
// and a copy of this costs no allocation. Compared by content.
class SharedText {
public:
    SharedText() = default;
    SharedText(std::string text)
        : text_(text.empty() ? nullptr : std::make_shared<const std::string>(std::move(text)))
    {
    }
    std::string_view view() const { return text_ ? std::string_view(*text_) : std::string_view(); }
    bool operator==(const SharedText& other) const { return view() == other.view(); }

private:
    std::shared_ptr<const std::string> text_;
};

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
    // seconds after boot (0 when unknown), its leading arguments (as
    // ProcessIdentity holds them), and whether it has a controlling terminal.
    std::string appScope{};
    double startTime = 0;
    SharedText arguments{};
    bool terminal = false;

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
