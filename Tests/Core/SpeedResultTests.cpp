#include "Core/SpeedResult.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace corvane;
using namespace std::chrono_literals;

namespace {
const Date year2001 = Date(978'307'200s);  // 2001-01-01 00:00:00 UTC, where stored times count from
}

TEST(SpeedResultStorage, KeysAreTheFieldNamesAndTimeCountsFrom2001)
{
    const SpeedResult result{95.5, 12.25, 1234, 24.5, year2001 + 755'000'000s};
    EXPECT_EQ(nlohmann::json::parse(result.toJSON()), nlohmann::json::parse(R"({"downloadMbps": 95.5,
        "uploadMbps": 12.25, "responsivenessRPM": 1234, "baseRTTms": 24.5, "measuredAt": 755000000})"));
    EXPECT_EQ(SpeedResult::fromJSON(result.toJSON()), result);
}

TEST(SpeedResultStorage, AbsentOptionalsAreLeftOutAndReadBackAbsent)
{
    const SpeedResult result{3.0, 0.5, std::nullopt, std::nullopt, year2001 - 1000s};
    EXPECT_EQ(result.toJSON(), R"({"downloadMbps":3.0,"measuredAt":-1000.0,"uploadMbps":0.5})");
    EXPECT_EQ(SpeedResult::fromJSON(result.toJSON()), result);
    EXPECT_EQ(SpeedResult::fromJSON(R"({"downloadMbps": 5, "uploadMbps": 1, "measuredAt": 0.25, "baseRTTms": null})"),
              (SpeedResult{5, 1, std::nullopt, std::nullopt, year2001 + 250ms}));
}

TEST(SpeedResultStorage, UnreadableStoredFormsGiveNothing)
{
    for (const char* text : {
             "not json", "[]",
             R"({"uploadMbps": 1, "measuredAt": 0})",
             R"({"downloadMbps": 1, "uploadMbps": 1})",
             R"({"downloadMbps": "1", "uploadMbps": 1, "measuredAt": 0})",
             R"({"downloadMbps": 1, "uploadMbps": 1, "measuredAt": 0, "responsivenessRPM": 12.5})",
             R"({"downloadMbps": 1, "uploadMbps": 1, "measuredAt": 0, "responsivenessRPM": 18446744073709551615})",
             R"({"downloadMbps": 1, "uploadMbps": 1, "measuredAt": 0, "baseRTTms": "fast"})",
             R"({"downloadMbps": 1, "uploadMbps": 1, "measuredAt": 1e300})",
             R"({"downloadMbps": 1, "uploadMbps": 1, "measuredAt": -9e9})",  // 1715
             R"({"downloadMbps": 1, "uploadMbps": 1, "measuredAt": -3.2e9})",
             R"({"downloadMbps": 1, "uploadMbps": 1, "measuredAt": 3.2e9})",
         }) {
        EXPECT_FALSE(SpeedResult::fromJSON(text)) << text;
    }
}

TEST(SpeedResultStorage, DatesWithinACenturyOf2001Read)
{
    const std::pair<const char*, Date> dates[] = {
        {"-3.1e9", year2001 - 3'100'000'000s}, {"-978307200", Date()}, {"3.1e9", year2001 + 3'100'000'000s}};
    for (const auto& [stored, date] : dates) {
        const auto result =
            SpeedResult::fromJSON(std::string(R"({"downloadMbps": 1, "uploadMbps": 1, "measuredAt": )") + stored + "}");
        ASSERT_TRUE(result) << stored;
        EXPECT_EQ(result->measuredAt, date);
    }
}
