#include "Core/NetTop.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

using namespace corvane;

TEST(NetTopParse, RecordedOutputKeepsTheLastSampleBusiestFirst)
{
    // launchd (nothing moved), kernel_task (no pid) and Slack Helper (an empty field) are
    // left out; the two equal totals keep the tool's order.
    EXPECT_EQ(NetTop::parse(test::fixture("internet/nettop.csv")),
              (std::vector<NetUsage>{{433, "Dropbox", 1'800'000, 25'000},
                                     {812, "com.apple.WebKit.Networking", 2048, 512},
                                     {1502, "zoom.us", 2048, 512},
                                     {201, "mDNSResponder", 300, 120}}));
}

TEST(NetTopParse, TextWithoutHeaderIsReadWhole)
{
    EXPECT_EQ(NetTop::parse("a.1,10,0,\nb.2,0,30,\n"), (std::vector<NetUsage>{{2, "b", 0, 30}, {1, "a", 10, 0}}));
}

TEST(NetTopParse, SkipsLinesThatDoNotRead)
{
    const auto usage = NetTop::parse("short.1,5\n"
                                     "trailing.,5,5,\n"
                                     "notapid.12x,5,5,\n"
                                     "toobig.3000000000,5,5,\n"
                                     "words.3,five,5,\n"
                                     "endless.4,inf,5,\n"
                                     "nothing.5,nan,5,\n"
                                     "netzero.7,-5,5,\n"
                                     "twosigns.+-9,5,5,\n"
                                     "signed.+9,5,5,\n"
                                     "good.8,1,0\n");
    // A pid may carry a leading sign.
    EXPECT_EQ(usage, (std::vector<NetUsage>{{9, "signed", 5, 5}, {8, "good", 1, 0}}));
}
