#include "Core/MemoryReader.hpp"

#include "Platform/ProcFootprint.hpp"

#include <chrono>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace corvane::MemoryReader {

std::optional<int64_t> footprint(int32_t pid)
{
    // A tick asks for hundreds of footprints within milliseconds, so whether anything
    // is in swap, which decides the file they are read from, is looked at once a
    // second at most.
    static std::mutex lock;
    static std::shared_ptr<const ProcFootprint::Reader> reader;
    static std::chrono::steady_clock::time_point madeAt;
    std::shared_ptr<const ProcFootprint::Reader> current;
    {
        const std::lock_guard guard(lock);
        const auto now = std::chrono::steady_clock::now();
        if (!reader || now - madeAt >= std::chrono::seconds(1)) {
            const long page = ::sysconf(_SC_PAGESIZE);
            reader = std::make_shared<const ProcFootprint::Reader>("/proc", page > 0 ? page : 4096);
            madeAt = now;
        }
        current = reader;
    }
    return current->read(pid);
}

} // namespace corvane::MemoryReader
