#include "Core/Responsiveness.hpp"
#include "Core/SpeedTest.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <system_error>

using namespace corvane;
using namespace std::chrono_literals;

namespace {

const Date someTime = Date(1'733'680'000s);

SpeedResult parse(std::string_view report)
{
    return SpeedTest::parse(report, someTime);
}

std::optional<int64_t> rpmOf(std::string_view figure)
{
    return parse(R"({"dl_throughput": 1, "ul_throughput": 1, "responsiveness": )" + std::string(figure) + "}")
        .responsivenessRPM;
}

} // namespace

TEST(SpeedTestParse, RecordedReport)
{
    const auto result = parse(test::fixture("internet/networkQuality.json"));
    EXPECT_EQ(result, (SpeedResult{95.0, 12.5, 1234, 24.5, someTime}));
    EXPECT_EQ(responsiveness(*result.responsivenessRPM), Responsiveness::high);
}

TEST(SpeedTestParse, OptionalFiguresAreAbsentWhenMissingOrNotNumbers)
{
    EXPECT_EQ(parse(R"({"dl_throughput": 1500000, "ul_throughput": 250000})"),
              (SpeedResult{1.5, 0.25, std::nullopt, std::nullopt, someTime}));
    const auto wrongKinds = parse(R"({"dl_throughput": 1, "ul_throughput": 1, "responsiveness": "fast",
        "base_rtt": null})");
    EXPECT_FALSE(wrongKinds.responsivenessRPM);
    EXPECT_FALSE(wrongKinds.baseRTTms);
}

TEST(SpeedTestParse, ResponsivenessDropsItsFractionAndFiguresBeyondTheIntegerRangeAreAbsent)
{
    EXPECT_EQ(rpmOf("299.99"), 299);
    EXPECT_FALSE(rpmOf("1e300"));
    EXPECT_FALSE(rpmOf("9223372036854775808"));
}

TEST(SpeedTestParse, UnreadableReports)
{
    for (const char* report : {R"({"dl_throughput": 95000000})", R"({"dl_throughput": "95", "ul_throughput": 1})",
                               R"([{"dl_throughput": 1, "ul_throughput": 1}])", "Network quality test started", "",
                               R"({"dl_throughput": 1e400, "ul_throughput": 1})"}) {
        try {
            parse(report);
            ADD_FAILURE() << "read " << report;
        } catch (const SpeedTestError& error) {
            EXPECT_EQ(error, SpeedTestError::unreadable()) << report;
        }
    }
}

TEST(Responsiveness, GradesAndLabels)
{
    EXPECT_EQ(responsiveness(1000), Responsiveness::high);
    EXPECT_EQ(responsiveness(999), Responsiveness::medium);
    EXPECT_EQ(responsiveness(300), Responsiveness::medium);
    EXPECT_EQ(responsiveness(299), Responsiveness::low);
    EXPECT_EQ(label(Responsiveness::medium), "Medium");
}

TEST(SpeedTestRun, RunsTheToolAndStampsTheTimeItEnded)
{
    std::vector<std::string> call;
    const CommandRunner tool = [&](const std::string& path, const std::vector<std::string>& arguments) {
        call = arguments;
        call.insert(call.begin(), path);
        return Shell::Output{0, test::fixture("internet/networkQuality.json"), ""};
    };
    const Date before = std::chrono::system_clock::now();
    const auto result = SpeedTest::run(tool);
    EXPECT_EQ(call, (std::vector<std::string>{"/usr/bin/networkQuality", "-c", "-M", "25"}));
    EXPECT_EQ(result.downloadMbps, 95.0);
    EXPECT_GE(result.measuredAt, before);
    EXPECT_LE(result.measuredAt, std::chrono::system_clock::now());
}

TEST(SpeedTestRun, NonZeroExitFailsWithTheTrimmedErrorTextAndLaunchErrorsPassUnchanged)
{
    try {
        SpeedTest::run([](const std::string&, const std::vector<std::string>&) {
            return Shell::Output{1, R"({"dl_throughput": 1, "ul_throughput": 1})",
                                 "\v\u00A0 No network connection.\u2028\f\u0085"};
        });
        ADD_FAILURE() << "expected a failure";
    } catch (const SpeedTestError& error) {
        EXPECT_EQ(error, SpeedTestError::failed("No network connection."));
    }
    EXPECT_THROW(SpeedTest::run([](const std::string&, const std::vector<std::string>&) -> Shell::Output {
                     throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
                 }),
                 std::system_error);
}
