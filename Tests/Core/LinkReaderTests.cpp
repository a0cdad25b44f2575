#include "Core/LinkReader.hpp"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace corvane;

namespace {

// Answers with queued signal readings, one per call, so a second reading would show.
class FakeWiFi : public WiFiInterface {
public:
    std::vector<int> rssiReadings;
    std::optional<int> band = 2;
    std::size_t rssiCalls = 0;

    int rssiValue() override { return rssiReadings.at(rssiCalls++); }
    int noiseMeasurement() override { return -92; }
    double transmitRate() override { return 144.0; }
    std::optional<int> channelBand() override { return band; }
};

// Delivers the queued paths back to back when started.
class FakeMonitor : public PathMonitor {
public:
    std::vector<NetworkPath> reports;
    int cancels = 0;

    void start() override
    {
        for (const auto& path : reports)
            pathUpdateHandler(path);
    }
    void cancel() override { ++cancels; }
};

LinkType typeOf(NetworkPath path)
{
    FakeMonitor monitor;
    monitor.reports = {std::move(path)};
    return LinkReader::currentType(monitor);
}

} // namespace

TEST(SignalQuality, GradesAtEachBoundary)
{
    EXPECT_EQ(signalQuality(-60), SignalQuality::excellent);
    EXPECT_EQ(signalQuality(-61), SignalQuality::good);
    EXPECT_EQ(signalQuality(-70), SignalQuality::good);
    EXPECT_EQ(signalQuality(-71), SignalQuality::fair);
    EXPECT_EQ(signalQuality(-80), SignalQuality::fair);
    EXPECT_EQ(signalQuality(-81), SignalQuality::poor);
    EXPECT_EQ(label(WiFiLink{-30, 0, 0, WiFiBand::ghz5}.quality()), "Excellent");
    EXPECT_EQ(signalQualityFromRaw(2), SignalQuality::good);
    EXPECT_FALSE(signalQualityFromRaw(4));
}

TEST(WiFiReading, OneSignalReadingDecidesAssociationAndIsReported)
{
    FakeWiFi off;
    off.rssiReadings = {0};
    EXPECT_FALSE(LinkReader::wifi(off));

    FakeWiFi wifi;
    wifi.rssiReadings = {-66, 0};  // the link drops before a second reading
    EXPECT_EQ(LinkReader::wifi(wifi), (WiFiLink{-66, -92, 144.0, WiFiBand::ghz5}));
    EXPECT_EQ(wifi.rssiCalls, 1u);
}

TEST(WiFiReading, ChannelBandCodesMapToBands)
{
    const std::vector<std::pair<std::optional<int>, WiFiBand>> cases{
        {1, WiFiBand::ghz2_4}, {2, WiFiBand::ghz5},     {3, WiFiBand::ghz6},
        {0, WiFiBand::unknown}, {7, WiFiBand::unknown}, {std::nullopt, WiFiBand::unknown}};
    for (const auto& [code, band] : cases) {
        FakeWiFi wifi;
        wifi.rssiReadings = {-50};
        wifi.band = code;
        EXPECT_EQ(LinkReader::wifi(wifi)->band, band) << code.value_or(-1);
    }
    EXPECT_EQ(label(WiFiBand::unknown), "Unknown band");
}

TEST(LinkClassification, ByPathStatusAndInterfaces)
{
    EXPECT_EQ(typeOf({true, {InterfaceType::wiredEthernet}}), LinkType::ethernet);
    EXPECT_EQ(typeOf({true, {InterfaceType::wiredEthernet, InterfaceType::wifi}}), LinkType::wifi);
    EXPECT_EQ(typeOf({true, {InterfaceType::other}}), LinkType::other);
    EXPECT_EQ(typeOf({false, {InterfaceType::wifi}}), LinkType::offline);
}

TEST(LinkClassification, OnlyTheFirstReportAnswersAndCancelsTheMonitor)
{
    FakeMonitor monitor;
    monitor.reports = {{true, {InterfaceType::wiredEthernet}}, {true, {InterfaceType::wifi}}, {false, {}}};
    EXPECT_EQ(LinkReader::currentType(monitor), LinkType::ethernet);
    EXPECT_EQ(monitor.cancels, 1);
}

TEST(LinkClassification, ReportsRacingFromOtherThreadsAnswerOnce)
{
    class RacingMonitor : public PathMonitor {
    public:
        std::vector<std::thread> threads;
        ~RacingMonitor() override
        {
            for (auto& thread : threads)
                thread.join();
        }
        void start() override
        {
            for (int i = 0; i < 8; ++i)
                threads.emplace_back([this] { pathUpdateHandler({true, {InterfaceType::wifi}}); });
        }
        void cancel() override {}
    };
    for (int round = 0; round < 20; ++round) {
        RacingMonitor monitor;
        EXPECT_EQ(LinkReader::currentType(monitor), LinkType::wifi);
    }
}
