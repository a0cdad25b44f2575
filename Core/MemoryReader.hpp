#pragma once

#include <cstdint>
#include <optional>

namespace corvane::MemoryReader {

// The process's physical footprint in bytes, or nothing when it cannot be read
// (the process has gone, or has no memory of its own).
std::optional<int64_t> footprint(int32_t pid);

} // namespace corvane::MemoryReader
