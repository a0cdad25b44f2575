#include "Platform/SocketTraffic.hpp"

#include "Core/NetTop.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <system_error>

using namespace corvane;

namespace {

// Answers the two ss runs with `before` and `after`, and records the pauses between them.
std::string sample(const std::string& before, const std::string& after,
                   std::vector<std::chrono::milliseconds>* pauses = nullptr)
{
    std::size_t runs = 0;
    const CommandRunner ss = [&](const std::string& path, const std::vector<std::string>& arguments) {
        EXPECT_EQ(path, "/usr/bin/ss");
        EXPECT_EQ(arguments, std::vector<std::string>{"-tinpH"});
        return Shell::Output{0, ++runs == 1 ? before : after, ""};
    };
    return SocketTraffic::sample("/usr/bin/ss", ss, [&](std::chrono::milliseconds pause) {
        if (pauses)
            pauses->push_back(pause);
    });
}

std::string socket(const std::string& addresses, const std::string& user, int64_t in, int64_t out)
{
    return "ESTAB 0 0 " + addresses + " users:((" + user + ",fd=3))\n\t cubic bytes_acked:" + std::to_string(out) +
           " bytes_received:" + std::to_string(in) + " segs_out:2\n";
}

} // namespace

TEST(SocketTraffic, RecordedListingsOneSecondApartBecomePerProcessRates)
{
    std::vector<std::chrono::milliseconds> pauses;
    const std::string csv = sample(test::fixture("internet/ss-before.txt"), test::fixture("internet/ss-after.txt"), &pauses);
    EXPECT_EQ(pauses, std::vector<std::chrono::milliseconds>{std::chrono::seconds(1)});
    // The ssh socket names no process; a socket shared by two processes counts for the first;
    // one opened in between counts all its bytes; a closed one counts nothing; IPv6 sockets count.
    EXPECT_EQ(NetTop::parse(csv), (std::vector<NetUsage>{{1750, "dropbox", 1000, 2'500'000},
                                                         {2211, "firefox-esr", 1'400'000, 1200},
                                                         {2390, "Web Content", 64000, 518}}));
}

TEST(SocketTraffic, SocketsOfOneProcessAreSummed)
{
    EXPECT_EQ(sample(socket("10.0.0.2:1000 10.0.0.9:443", R"("curl",pid=7)", 100, 10),
                     socket("10.0.0.2:1000 10.0.0.9:443", R"("curl",pid=7)", 400, 20) +
                         socket("10.0.0.2:1001 10.0.0.9:443", R"("curl",pid=7)", 50, 5)),
              ",bytes_in,bytes_out,\ncurl.7,350,15,\n");
}

TEST(SocketTraffic, HugeSumsStopAtTheLargestCountAndNegativeCountersAreRefused)
{
    constexpr int64_t most = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(sample("", socket("10.0.0.2:1000 10.0.0.9:443", R"("big",pid=7)", most, most) +
                             socket("10.0.0.2:1001 10.0.0.9:443", R"("big",pid=7)", most, 1)),
              ",bytes_in,bytes_out,\nbig.7," + std::to_string(most) + "," + std::to_string(most) + ",\n");
    // A negative count before would turn the difference into more than was moved.
    EXPECT_EQ(sample(socket("10.0.0.2:1000 10.0.0.9:443", R"("odd",pid=8)", -most, -5),
                     socket("10.0.0.2:1000 10.0.0.9:443", R"("odd",pid=8)", most, 7)),
              ",bytes_in,bytes_out,\nodd.8," + std::to_string(most) + ",7,\n");
    EXPECT_EQ(sample("", socket("10.0.0.2:1000 10.0.0.9:443", R"("odd",pid=8)", -3, -4)),
              ",bytes_in,bytes_out,\nodd.8,0,0,\n");
}

TEST(SocketTraffic, ReusedAddressesOrAResetCounterCountAsANewSocket)
{
    EXPECT_EQ(sample(socket("[::1]:80 [::1]:5000", R"("old",pid=1)", 900, 900) +
                         socket("[::1]:81 [::1]:5001", R"("web",pid=2)", 900, 900),
                     socket("[::1]:80 [::1]:5000", R"("new",pid=3)", 40, 30) +
                         socket("[::1]:81 [::1]:5001", R"("web",pid=2)", 20, 10)),
              ",bytes_in,bytes_out,\nnew.3,40,30,\nweb.2,20,10,\n");
}

TEST(SocketTraffic, OddProcessNamesCannotShiftColumnsPidsOrCounters)
{
    // ss prints a process's name unescaped: commas, quotes, ",pid=" and counter-like words.
    const std::string spoofed = "ESTAB 0 0 10.0.0.2:3 10.0.0.9:4 users:((\" bytes_acked:9 \",pid=13,fd=3))\n"
                                "\t cubic bytes_received:5 segs_out:2\n";
    EXPECT_EQ(NetTop::parse(sample("", socket("10.0.0.2:1 10.0.0.9:2", R"("a.5,7",pid=1",pid=12)", 0, 1) + spoofed)),
              (std::vector<NetUsage>{{13, " bytes_acked:9 ", 5, 0}, {12, "a.5 7\" pid=1", 0, 1}}));
}

TEST(SocketTraffic, NothingToShowOrNoSsGivesEmptyText)
{
    EXPECT_EQ(sample("", ""), "");
    EXPECT_EQ(sample("", "ESTAB 0 0 10.0.0.2:22 10.0.0.5:53211\n\t bytes_acked:52000 bytes_received:31000\n"), "");

    bool slept = false;
    const auto sleeper = [&](std::chrono::milliseconds) { slept = true; };
    const CommandRunner unstartable = [](const std::string&, const std::vector<std::string>&) -> Shell::Output {
        throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
    };
    EXPECT_EQ(SocketTraffic::sample("/usr/bin/ss", unstartable, sleeper), "");
    EXPECT_EQ(SocketTraffic::sample(std::nullopt, unstartable, sleeper), "");
    EXPECT_FALSE(slept);
}
