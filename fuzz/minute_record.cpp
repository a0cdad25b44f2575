// Usage-history lines: the fast reader of the writer's own form must agree with the JSON
// parser on every text it accepts, and a record read back writes and reads as itself.
#include "Core/MinuteRecord.hpp"
#include "fuzz/FuzzCheck.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const auto compact = MinuteRecord::decodeCompact(line);
    const auto parsed = MinuteRecord::decodeJSON(line);
    if (compact)
        FUZZ_CHECK(parsed == compact);
    const auto record = MinuteRecord::decode(line);
    FUZZ_CHECK(record == parsed);
    if (record) {
        FUZZ_CHECK(std::isfinite(record->cpu) && std::isfinite(record->cpuMax));
        const auto written = record->encode();
        FUZZ_CHECK(MinuteRecord::decodeCompact(written) == record);
        FUZZ_CHECK(MinuteRecord::decodeJSON(written) == record);
        startOfMinute(record->t);  // a record's minute is always a Date
    }
    return 0;
}
