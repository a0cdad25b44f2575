#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// What machine this is: model name, chip, installed memory, Apple silicon or not.
struct MacInfo {
    std::string name;
    std::string chip;
    int64_t memoryBytes = 0;
    bool isAppleSilicon = false;

    // Never fails: reads the hardware profile of the machine under `root`, or falls
    // back to its processor's name, model and physical memory. Blocks on file reads.
    static MacInfo read(const std::filesystem::path& root = "/");

    // The first entry of a hardware-profile document ({"SPHardwareDataType": [{...}]}),
    // or nothing when the document, the entry or its "machine_name" is missing. A memory
    // size that is missing or unreadable becomes `physicalMemory`.
    static std::optional<MacInfo> parse(std::string_view systemProfilerJSON, int64_t physicalMemory);

    // As above, with the live machine's physical memory.
    static std::optional<MacInfo> parse(std::string_view systemProfilerJSON);

    bool operator==(const MacInfo&) const = default;
};

} // namespace corvane
