#include "Core/MinuteRecord.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

using namespace corvane;

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
