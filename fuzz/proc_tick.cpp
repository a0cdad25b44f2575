// The readers of a monitor tick over a /proc (and the root around it) written from the
// input. The input's parts, split at each byte 0x1E, become in order:
//   proc/uptime, proc/stat, proc/meminfo, proc/pressure/memory,
//   proc/42/stat, proc/42/status, proc/42/statm, proc/42/cmdline, the target of proc/42/exe,
// then, before a second sample by the same source, proc/42/stat and the exe link's target
// again. A part of the first sample the input does not reach leaves its file absent; one
// of the second leaves the first's in place.
#include "Core/CPUMeter.hpp"
#include "Core/MemoryStats.hpp"
#include "Core/SignalReader.hpp"
#include "Platform/MemInfo.hpp"
#include "Platform/MemoryPressure.hpp"
#include "Platform/ProcFS.hpp"
#include "Platform/ProcFootprint.hpp"
#include "Platform/ProcProcessSource.hpp"
#include "fuzz/FuzzCheck.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

using namespace corvane;
namespace fs = std::filesystem;

namespace {

constexpr int32_t pid = 42;
constexpr std::size_t firstSampleParts = 9;

// One folder for the whole run, in memory where there is such a file system (every
// input is written there), removed when the run ends.
const fs::path& root()
{
    static const fs::path folder = [] {
        const fs::path base = ::access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string name = (base / "corvane-fuzz-proc-XXXXXX").string();
        if (::mkdtemp(name.data()) == nullptr)
            std::abort();
        fs::create_directories(fs::path(name) / "proc/pressure");
        fs::create_directories(fs::path(name) / "proc/42");
        std::atexit([] { std::error_code ignored; fs::remove_all(root(), ignored); });
        return fs::path(name);
    }();
    return folder;
}

void put(const char* relative, const std::string_view* content)
{
    const auto path = root() / relative;
    std::error_code ignored;
    fs::remove(path, ignored);
    if (content)
        std::ofstream(path, std::ios::binary).write(content->data(), std::streamsize(content->size()));
}

void link(const std::string_view* target)
{
    const auto path = root() / "proc/42/exe";
    std::error_code ignored;
    fs::remove(path, ignored);
    // A link's target ends at its first NUL; the kernel refuses an empty or overlong one.
    if (target)
        ::symlink(std::string(*target).c_str(), path.c_str());
}

void checkSample(const Snapshot& snapshot)
{
    FUZZ_CHECK(snapshot.processes.size() <= 1);
    for (const auto& process : snapshot.processes) {
        FUZZ_CHECK(process.pid == pid);
        FUZZ_CHECK(std::isfinite(process.cpuTime) && process.cpuTime >= 0);
        FUZZ_CHECK(std::isfinite(process.psCPU) && process.psCPU >= 0);
        FUZZ_CHECK(process.rssBytes >= 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::vector<std::string_view> parts;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (true) {
        const auto end = rest.find('\x1e');
        parts.push_back(rest.substr(0, end));
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    const auto part = [&](std::size_t i) { return i < parts.size() ? &parts[i] : nullptr; };

    const char* files[] = {"proc/uptime",   "proc/stat",     "proc/meminfo",  "proc/pressure/memory",
                           "proc/42/stat",  "proc/42/status", "proc/42/statm", "proc/42/cmdline"};
    for (std::size_t i = 0; i < std::size(files); ++i)
        put(files[i], part(i));
    link(part(8));

    // The pure readers, on the raw parts.
    for (const auto* text : {part(2), part(5)}) {
        if (!text)
            continue;
        const MemInfo memory(*text);
        memory.totalBytes();
        memory.swapUsedBytes();
        ProcFS::field(*text, "Uid");
        MemInfo::valueBytes(*text);
    }
    if (const auto* stall = part(3))
        MemoryPressure::stallLevel(*stall);
    if (const auto* target = part(8))
        ProcFS::pathFromLink(*target);
    if (const auto* cmdline = part(7))
        ProcFS::absoluteArgv0(*cmdline);

    // The tick's reading of the tree.
    const auto procRoot = root() / "proc";
    ProcProcessSource source(procRoot, {100, 4096});
    const auto first = source.sample();
    checkSample(first);
    ProcFootprint::read(procRoot, pid);
    ProcFootprint::Reader(procRoot, 4096).read(pid);
    const auto signals = SignalReader::read(0, root());
    FUZZ_CHECK(signals.cpuLoadPercent >= 0 && signals.cpuLoadPercent <= 100);
    MemoryStats::read(root());

    if (const auto* stat = part(firstSampleParts))
        put("proc/42/stat", stat);
    if (const auto* target = part(firstSampleParts + 1))
        link(target);
    const auto second = source.sample();
    checkSample(second);
    for (const auto& usage : CPUMeter::usage(first, second, [](int32_t) { return std::optional<int64_t>(); }))
        FUZZ_CHECK(std::isfinite(usage.cpuPercent) && usage.cpuPercent >= 0);
    return 0;
}
