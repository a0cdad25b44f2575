// The launchd job list's text ("PID Status Label" columns, tab-separated).
#include "Core/BackgroundItemsReader.hpp"
#include "fuzz/FuzzCheck.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto jobs = BackgroundItemsReader::parseLaunchctlList(text);
    for (const auto& [label, pid] : jobs)
        FUZZ_CHECK(pid > 0);
    BackgroundItem item;
    item.label = jobs.empty() ? "com.example.agent" : jobs.begin()->first;
    item.program = "/bin/agent";
    BackgroundItemsReader::markRunning({item}, jobs, {});
    return 0;
}
