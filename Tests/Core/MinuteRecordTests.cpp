#include "Core/MinuteRecord.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace corvane;
using namespace std::string_literals;

TEST(MinuteRecordJSON, WritesEveryKeyInFieldOrderAndReadsItBack)
{
    const MinuteRecord record{29548800, 12.5, 80, 1, 1073741824, 8589934592, 20};
    const std::string json = record.encode();
    EXPECT_EQ(json, R"({"t":29548800,"cpu":12.5,"cpuMax":80.0,"pressure":1,"swap":1073741824,)"
                    R"("memUsed":8589934592,"n":20})");
    EXPECT_EQ(MinuteRecord::decode(json), record);
}

TEST(MinuteRecordJSON, RefusesCPUValuesJSONCannotHold)
{
    MinuteRecord record{1, 10, 10, 0, 0, 0, 1};
    record.cpu = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(record.encode(), std::invalid_argument);
    record.cpu = 10;
    record.cpuMax = std::numeric_limits<double>::infinity();
    EXPECT_THROW(record.encode(), std::invalid_argument);
}

TEST(MinuteRecordJSON, ReadsOnlyObjectsWithAllKeysOfTheRightType)
{
    // Keys nested inside other values are not the record's own.
    EXPECT_EQ(MinuteRecord::decode(R"({"n":1,"t":5,"cpu":3,"cpuMax":4,"x":[{"t":"a"}],"pressure":0,"swap":0,)"
                                   R"("memUsed":0,"y":{"n":null}})"),
              (MinuteRecord{5, 3, 4, 0, 0, 0, 1}));
    for (const char* text : {
             R"({"t":5,"cpu":3,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0})",
             R"({"t":5.5,"cpu":3,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
             R"({"t":5,"cpu":"3","cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
             R"({"t":5,"cpu":3,"cpuMax":1e400,"pressure":0,"swap":0,"memUsed":0,"n":1})",
             R"({"t":5,"cpu":3,"cpuMax":4,"pressure":[0],"swap":0,"memUsed":0,"n":1})",
             R"({"x":{"t":5,"cpu":3,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1}})",
             R"({"t":5,"cpu":3,"cpuMax":4,"pressure":0,"swap":9223372036854775808,"memUsed":0,"n":1})",
             R"({"t":5,"cpu":3,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":4294967296})",
             R"({"t":999999999999,"cpu":3,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
             R"([5,3,4,0,0,0,1])",
             R"({"t":5,"cpu":3,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":)",
             "{\"t\":5,\"cpu\":3,\"cpuMax\":4,\"pressure\":0,\"swap\":0,\"memUsed\":0,\"n\":1,\"x\":\"\xff\"}",
         }) {
        EXPECT_FALSE(MinuteRecord::decode(text)) << text;
    }
}

namespace {

// Equal to the bit, so that -0.0 and 0.0 differ.
bool sameBits(const std::optional<MinuteRecord>& a, const std::optional<MinuteRecord>& b)
{
    if (!a || !b)
        return a.has_value() == b.has_value();
    return *a == *b && std::signbit(a->cpu) == std::signbit(b->cpu) &&
           std::signbit(a->cpuMax) == std::signbit(b->cpuMax);
}

} // namespace

TEST(MinuteRecordJSON, TheDirectReaderGivesWhatTheParserGives)
{
    std::vector<std::string> written;
    for (const MinuteRecord& record : {
             MinuteRecord{29548800, 12.5, 80, 1, 1073741824, 8589934592, 20},
             MinuteRecord{-5, -0.0, 1e-300, -2, -9223372036854775807 - 1, 9223372036854775807, -7},
             MinuteRecord{0, 0.1 + 0.2, 1e21, 2147483647, 0, 0, -2147483647 - 1},
             MinuteRecord{1, 5e-324, 123456789.125, 0, 1, 2, 3},
         }) {
        written.push_back(record.encode());
        EXPECT_TRUE(MinuteRecord::decodeCompact(written.back())) << written.back();
    }
    const std::vector<std::string> odd{
        // Reordered keys, spaces, escapes, missing and extra fields.
        R"({"cpu":1,"t":5,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({ "t" : 5 , "cpu" : 1 , "cpuMax" : 4 , "pressure" : 0 , "swap" : 0 , "memUsed" : 0 , "n" : 1 })",
        R"({"\u0074":5,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0})",
        R"({"t":5,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1,"x":2})",
        R"({"t":5,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1,"t":6})",
        "{\"t\":5,\"cpu\":1,\"cpuMax\":4,\"pressure\":0,\"swap\":0,\"memUsed\":0,\"n\":1}\r",
        // Numbers in other forms.
        R"({"t":-0,"cpu":-0,"cpuMax":-0.0,"pressure":0,"swap":-0,"memUsed":0,"n":1})",
        R"({"t":5,"cpu":1E2,"cpuMax":4e+0,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5,"cpu":1e-400,"cpuMax":1e400,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5,"cpu":1e-320,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5,"cpu":18446744073709551615,"cpuMax":1e19,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5,"cpu":99999999999999999999999,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5.0,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5e0,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":05,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":+5,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5,"cpu":.5,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5,"cpu":1.,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5,"cpu":1e,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5,"cpu":NaN,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5,"cpu":inf,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5,"cpu":0x10,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":9223372036854775808,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5,"cpu":1,"cpuMax":4,"pressure":2147483648,"swap":0,"memUsed":0,"n":1})",
        R"({"t":999999999999,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        // Bad lines.
        R"({"t":5,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1}})",
        R"({"t":5,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1)",
        R"({"t":5,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":"1"})",
        R"({"t":5,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1} x)",
        R"({"t":5,"cpu":1,"cpuMax":4,"pressure":null,"swap":0,"memUsed":0,"n":1})",
        R"({"t":5,"cpu":true,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"t"5,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        R"({"T":5,"cpu":1,"cpuMax":4,"pressure":0,"swap":0,"memUsed":0,"n":1})",
        "",
        "{}",
        "{\"t\":5,\"cpu\":1,\"cpuMax\":4,\"pressure\":0,\"swap\":0,\"memUsed\":0,\"n\":1\0}"s,
    };
    std::vector<std::string> lines = written;
    lines.insert(lines.end(), odd.begin(), odd.end());
    // Every line cut short, too: what a torn write leaves behind.
    for (const auto& line : written) {
        for (std::size_t length = 0; length < line.size(); ++length)
            lines.push_back(line.substr(0, length));
    }
    for (const auto& line : lines) {
        const auto parsed = MinuteRecord::decodeJSON(line);
        EXPECT_TRUE(sameBits(MinuteRecord::decode(line), parsed)) << line;
        if (const auto direct = MinuteRecord::decodeCompact(line)) {
            EXPECT_TRUE(sameBits(direct, parsed)) << line;
        }
    }
}
