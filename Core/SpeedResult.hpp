#pragma once

#include "Core/Date.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// One finished speed test.
struct SpeedResult {
    double downloadMbps = 0;
    double uploadMbps = 0;
    std::optional<int64_t> responsivenessRPM;  // round trips per minute under load
    std::optional<double> baseRTTms;           // idle round-trip time
    Date measuredAt;                           // when the test finished

    // The stored form: a JSON object keyed by the field names, the absent optional fields
    // left out, "measuredAt" in seconds since 2001-01-01 00:00:00 UTC.
    std::string toJSON() const;

    // A result in the stored form, or nothing when the text is not JSON, a required key is
    // missing, any key holds the wrong kind of value or the date lies more than a century
    // from 2001.
    static std::optional<SpeedResult> fromJSON(std::string_view text);

    bool operator==(const SpeedResult&) const = default;
};

} // namespace corvane
