#pragma once

#include "Core/Date.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// One minute of usage history, stored as one JSON object per line.
struct MinuteRecord {
    int64_t t = 0;       // whole minutes since 1970-01-01 00:00 UTC
    double cpu = 0;      // mean CPU load of the minute's samples, percent
    double cpuMax = 0;   // highest sample CPU load, percent
    int pressure = 0;    // worst memory pressure: 0 normal, 1 elevated, 2 critical
    int64_t swap = 0;    // swap in use at the last sample, bytes
    int64_t memUsed = 0; // memory in use at the last sample, bytes
    int n = 0;           // samples folded into the record

    // Compact JSON with the keys in field order, no line feed. Throws
    // std::invalid_argument when cpu or cpuMax is not finite: JSON has no such number.
    std::string encode() const;

    // The record in one JSON object, or nothing when a key is missing or holds the
    // wrong type, or the minute cannot be a Date. Extra keys are ignored. Lines as
    // encode writes them are read directly; any other text goes to the JSON parser,
    // and both give the same record for the same text.
    static std::optional<MinuteRecord> decode(std::string_view json);

    // The two halves of decode, apart so that tests can hold them against each other:
    // the direct reader, which answers nothing for any text not in encode's own form,
    // and the JSON parser, which reads any JSON.
    static std::optional<MinuteRecord> decodeCompact(std::string_view line);
    static std::optional<MinuteRecord> decodeJSON(std::string_view json);

    bool operator==(const MinuteRecord&) const = default;
};

// The whole minutes since 1970-01-01 00:00 UTC of a moment, fraction dropped.
int64_t minuteOf(Date date);

// The first moment of a minute. Throws std::out_of_range when it cannot be a Date.
Date startOfMinute(int64_t minute);

} // namespace corvane
