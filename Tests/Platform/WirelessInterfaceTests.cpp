#include "Platform/WirelessInterface.hpp"

#include "Core/LinkReader.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <system_error>

using namespace corvane;

namespace {

const std::string statsHeader = "Inter-| sta-|   Quality        |   Discarded packets               | Missed | WE\n"
                                " face | tus | link level noise |  nwid  crypt   frag  retry   misc | beacon | 22\n";

// A machine with the wireless interface wlp2s0; iw prints `iwReport`, or cannot be started.
struct Machine {
    test::FakeTree sys, proc;
    int iwRuns = 0;

    explicit Machine(const std::string& stats = test::fixture("internet/proc-net-wireless.txt"))
    {
        sys.mkdir("class/net/eth0");
        sys.mkdir("class/net/wlp2s0/wireless");
        proc.write("net/wireless", stats);
    }

    std::optional<WiFiLink> read(std::optional<std::string> iwReport)
    {
        const CommandRunner iw = [this, iwReport](const std::string& path, const std::vector<std::string>& arguments) {
            ++iwRuns;
            EXPECT_EQ(path, "/usr/sbin/iw");
            EXPECT_EQ(arguments, (std::vector<std::string>{"dev", "wlp2s0", "link"}));
            if (!iwReport)
                throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
            return Shell::Output{0, *iwReport, ""};
        };
        return LinkReader::wifi(*WirelessInterface::first(sys.path(), proc.path(), "/usr/sbin/iw", iw));
    }
};

} // namespace

TEST(WirelessInterface, RecordedLinksWithAndWithoutNoiseValue)
{
    Machine fiveGigahertz;
    EXPECT_EQ(fiveGigahertz.read(test::fixture("internet/iw-link-5ghz.txt")),
              (WiFiLink{-67, 0, 390.0, WiFiBand::ghz5}));
    EXPECT_EQ(fiveGigahertz.iwRuns, 1);  // rate and band come from one report
    Machine twoGigahertz(statsHeader + "wlp2s0: 0000   36.  -74.  -95.       0      0      0      0      3        0\n");
    EXPECT_EQ(twoGigahertz.read(test::fixture("internet/iw-link-2ghz.txt")),
              (WiFiLink{-74, -95, 72.2, WiFiBand::ghz2_4}));
}

TEST(WirelessInterface, FrequenciesGiveBands)
{
    const std::vector<std::pair<std::string, WiFiBand>> cases{
        {"2484", WiFiBand::ghz2_4}, {"5885", WiFiBand::ghz5}, {"5955", WiFiBand::ghz6}, {"58320", WiFiBand::unknown}};
    for (const auto& [frequency, band] : cases)
        EXPECT_EQ(Machine().read("\tfreq: " + frequency + "\n")->band, band) << frequency;
}

TEST(WirelessInterface, NotAssociatedOrNotListedHasNoLink)
{
    const std::string notConnected = test::fixture("internet/iw-not-connected.txt");
    EXPECT_FALSE(Machine(statsHeader + "wlp2s0: 0000    0     0     0        0      0      0      0      0        0\n")
                     .read(notConnected));
    EXPECT_FALSE(Machine(statsHeader + "wlan9: 0000   70.  -40.  -256        0      0      0      0      0        0\n")
                     .read(notConnected));
}

TEST(WirelessInterface, ValuesTheKernelNeverGivesReadAsUnknown)
{
    // A positive level is a driver's own scale, not dBm: the signal is unknown, so no link.
    const auto row = [](const std::string& level, const std::string& noise) {
        return statsHeader + "wlp2s0: 0000   70.  " + level + "  " + noise + "  0      0      0      0      0        0\n";
    };
    EXPECT_FALSE(Machine(row("40.", "-95.")).read(std::nullopt));
    EXPECT_FALSE(Machine(row("-300.", "-95.")).read(std::nullopt));
    EXPECT_EQ(Machine(row("-60.", "12.")).read(std::nullopt), (WiFiLink{-60, 0, 0, WiFiBand::unknown}));
    for (const char* rate : {"-54.0", "1e12", "429496730"})
        EXPECT_EQ(Machine().read(std::string("\ttx bitrate: ") + rate + " MBit/s\n")->transmitRateMbps, 0) << rate;
    EXPECT_EQ(Machine().read("\ttx bitrate: 2882.4 MBit/s\n")->transmitRateMbps, 2882.4);
}

TEST(WirelessInterface, WithoutIwRateIsZeroAndBandUnknown)
{
    Machine machine;
    EXPECT_EQ(machine.read(std::nullopt), (WiFiLink{-67, 0, 0, WiFiBand::unknown}));
    const auto notInstalled = WirelessInterface::first(machine.sys.path(), machine.proc.path(), std::nullopt, {});
    EXPECT_EQ(LinkReader::wifi(*notInstalled), (WiFiLink{-67, 0, 0, WiFiBand::unknown}));
}

TEST(WirelessInterface, FirstByNameThenFromTheStatsThenNone)
{
    test::FakeTree sys, wired, proc, noProc;
    sys.mkdir("class/net/wlp3s0/wireless");
    sys.mkdir("class/net/wlan1/wireless");
    EXPECT_EQ(WirelessInterface::first(sys.path(), proc.path(), std::nullopt, {})->name(), "wlan1");

    wired.mkdir("class/net/eth0");
    proc.write("net/wireless", statsHeader + " wlan0: 0000   70.  -40.  -256        0      0      0      0      0        0\n");
    EXPECT_EQ(WirelessInterface::first(wired.path(), proc.path(), std::nullopt, {})->name(), "wlan0");
    EXPECT_FALSE(WirelessInterface::first(wired.path(), noProc.path(), std::nullopt, {}));
}
