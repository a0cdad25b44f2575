#pragma once

#include "Core/MinuteRecord.hpp"

#include <array>
#include <cstdint>
#include <variant>
#include <vector>

namespace corvane {

// What keeps the machine from keeping up with its user's work.
struct Bottleneck {
    // Memory is too small: the size to get, and the share of minutes under pressure.
    struct Memory {
        int recommendedGB = 0;
        double pressureShare = 0;
        bool operator==(const Memory&) const = default;
    };
    // The processor is often saturated: the share of minutes at 80 % load or more.
    struct CPU {
        double busyShare = 0;
        bool operator==(const CPU&) const = default;
    };
    // The disk is nearly full: its free share.
    struct Storage {
        double freeShare = 0;
        bool operator==(const Storage&) const = default;
    };

    std::variant<Memory, CPU, Storage> value;

    bool operator==(const Bottleneck&) const = default;
};

// The answer to whether the machine needs replacing; hoursMeasured is records / 60.
struct UpgradeVerdict {
    // Less than a day of records, or records from fewer than two UTC days.
    struct NotEnoughData {
        int hoursMeasured = 0;
        bool operator==(const NotEnoughData&) const = default;
    };
    struct Healthy {
        int hoursMeasured = 0;
        bool operator==(const Healthy&) const = default;
    };
    // At least one bottleneck, in the order memory, cpu, storage.
    struct Bottlenecks {
        std::vector<Bottleneck> list;
        int hoursMeasured = 0;
        bool operator==(const Bottlenecks&) const = default;
    };

    std::variant<NotEnoughData, Healthy, Bottlenecks> value;

    bool operator==(const UpgradeVerdict&) const = default;
};

// Judges recorded usage against the machine's memory and disk.
namespace UpgradeAdvisor {

// The memory sizes offered, in GB.
inline constexpr std::array<int, 10> memorySteps{16, 24, 32, 36, 48, 64, 96, 128, 192, 256};

// The first step at least twice `current` GB; 256 when none is.
int recommendedMemoryGB(int64_t current);

// `memoryBytes` of 0 or less means the memory is unknown: only pressure can then
// point at memory. `diskFreeShare` is free bytes over total bytes.
UpgradeVerdict evaluate(const std::vector<MinuteRecord>& records, int64_t memoryBytes, double diskFreeShare);

} // namespace UpgradeAdvisor

} // namespace corvane
