#include "Platform/DrmDisplays.hpp"

#include "Core/Numbers.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

void connector(const test::FakeTree& root, const std::string& name, const std::string& status,
               const std::string& modes, const std::string& enabled = "enabled")
{
    const std::string folder = "sys/class/drm/" + name;
    root.write(folder + "/status", status + "\n");
    root.write(folder + "/enabled", enabled + "\n");
    root.write(folder + "/modes", modes);
}

} // namespace

TEST(DrmDisplays, ReadsConnectedConnectorsWithThePreferredModeAsCurrent)
{
    test::FakeTree root;
    root.mkdir("sys/class/drm/card0");
    root.write("sys/class/drm/version", "drm 1.1.0\n");
    connector(root, "card0-eDP-1", "connected", "2560x1600\n1920x1200\n3840x2400\n");
    connector(root, "card0-HDMI-A-1", "disconnected", "");
    connector(root, "card0-DP-1", "connected", "1920x1080\n1920x1080i\nnonsense\n-3840x2160\n0x0\n1280x720\n");
    connector(root, "card0-DP-2", "connected", "1920x1080\n", "disabled");
    connector(root, "card1-Virtual-1", "connected", "");

    const auto displays = DrmDisplays::active(root.path());
    ASSERT_EQ(displays.size(), 3u);
    EXPECT_EQ(displays[0].currentWidth, 1920);  // card0-DP-1 by name order
    EXPECT_EQ(displays[0].widths, (std::vector<int64_t>{1920, 1920, 1280}));
    EXPECT_EQ(displays[1].currentWidth, 2560);
    EXPECT_EQ(displays[1].widths, (std::vector<int64_t>{2560, 1920, 3840}));
    EXPECT_FALSE(displays[2].currentWidth);
    EXPECT_TRUE(displays[2].widths.empty());
}

TEST(DrmDisplays, ExaminesAtMostSixteenDisplays)
{
    test::FakeTree root;
    for (int i = 10; i < 27; ++i)
        connector(root, "card0-DP-" + Numbers::toText(i), "connected", "1920x1080\n");
    EXPECT_EQ(DrmDisplays::active(root.path()).size(), 16u);
    EXPECT_TRUE(DrmDisplays::active(root.path("missing")).empty());
}
