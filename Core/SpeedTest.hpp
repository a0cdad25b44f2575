#pragma once

#include "Core/Date.hpp"
#include "Core/Shell.hpp"
#include "Core/SpeedResult.hpp"

#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Why a speed test gave no result.
class SpeedTestError : public std::exception {
public:
    enum class Case { failed, unreadable };

    // The tool exited with a non-zero status; `message` is its error output, trimmed.
    static SpeedTestError failed(std::string message) { return SpeedTestError(Case::failed, std::move(message)); }
    // The tool's output cannot be understood.
    static SpeedTestError unreadable() { return SpeedTestError(Case::unreadable, {}); }

    Case kind() const { return kind_; }
    const std::string& message() const { return message_; }
    const char* what() const noexcept override;

    bool operator==(const SpeedTestError& other) const
    {
        return kind_ == other.kind_ && message_ == other.message_;
    }

private:
    SpeedTestError(Case kind, std::string message) : kind_(kind), message_(std::move(message)) {}
    Case kind_;
    std::string message_;
};

// Download, upload and responsiveness through the system's speed-test tool.
namespace SpeedTest {

inline const std::vector<std::string> arguments{"-c", "-M", "25"};

// Runs /usr/bin/networkQuality through `runner` and reads its report, taking the time it
// ended as the measurement time. Takes as long as the tool takes. Throws the launch
// error unchanged, SpeedTestError::failed on a non-zero exit, SpeedTestError::unreadable
// when the report cannot be read.
SpeedResult run(const CommandRunner& runner = Shell::run);

// The tool's JSON report: throughputs in bits per second ("dl_throughput",
// "ul_throughput", both required), "responsiveness" in round trips per minute and
// "base_rtt" in milliseconds (both optional). Throws SpeedTestError::unreadable.
SpeedResult parse(std::string_view data, Date at);

} // namespace SpeedTest

} // namespace corvane
