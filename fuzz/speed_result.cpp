// The stored speed-test result, as read back from the settings file and judged by its age.
#include "Core/Date.hpp"
#include "Core/SpeedResult.hpp"
#include "fuzz/FuzzCheck.hpp"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto result = SpeedResult::fromJSON(text)) {
        // What was read is written again and reads back.
        FUZZ_CHECK(SpeedResult::fromJSON(result->toJSON()).has_value());
        // How old it is, as the Internet screen asks.
        secondsBetween(result->measuredAt, std::chrono::system_clock::now());
    }
    return 0;
}
