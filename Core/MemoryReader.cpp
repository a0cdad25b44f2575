#include "Core/MemoryReader.hpp"

#include "Platform/ProcFootprint.hpp"

namespace corvane::MemoryReader {

std::optional<int64_t> footprint(int32_t pid)
{
    return ProcFootprint::read("/proc", pid);
}

} // namespace corvane::MemoryReader
