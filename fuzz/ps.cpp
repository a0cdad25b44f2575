// Process listings in ps's text forms: the table ("pid ppid uid user time rss %cpu comm")
// and the "pid rss args" listing read for a browser's extension processes.
#include "Core/PSParser.hpp"
#include "Core/TabCleanup.hpp"
#include "fuzz/FuzzCheck.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Signs are read as the numbers' own ("0:-1.50" is -1.5 s, a size of "-1200" KiB counts
    // as written), but nothing unbounded gets in.
    for (const auto& sample : PSParser::parse(text)) {
        FUZZ_CHECK(std::isfinite(sample.cpuTime));
        FUZZ_CHECK(std::isfinite(sample.psCPU));
    }
    if (const auto seconds = PSParser::cpuSeconds(text))
        FUZZ_CHECK(std::isfinite(*seconds));
    const auto extensions = TabCleanup::extensions(text, "/Applications/Google Chrome.app");
    FUZZ_CHECK(extensions.count >= 0);
    return 0;
}
