#include "Core/TabCleanup.hpp"
#include "Core/TabScript.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

BrowserWindow window(const std::string& id, std::vector<std::string> urls,
                     std::optional<std::string> profile = std::nullopt, bool incognito = false)
{
    BrowserWindow w{id, incognito, std::move(profile), {}};
    for (auto& url : urls) {
        const std::string tabID = std::to_string(w.tabs.size() + 1);
        w.tabs.push_back(BrowserTab{id + "/" + tabID, id, tabID, "", std::move(url), false});
    }
    return w;
}

std::vector<std::string> duplicateIDs(const std::vector<BrowserWindow>& windows)
{
    std::vector<std::string> ids;
    for (const auto& tab : TabCleanup::duplicates(windows))
        ids.push_back(tab.id);
    return ids;
}

} // namespace

TEST(TabCleanupProfile, TextAfterTheLastMarkerOrNone)
{
    EXPECT_EQ(TabCleanup::profile("A - Google Chrome - B - Google Chrome - \t Home Two ", "Google Chrome"), "Home Two");
    EXPECT_EQ(TabCleanup::profile("Inbox - Google Chrome - Work\n", "Google Chrome"), "Work\n");
    EXPECT_EQ(TabCleanup::profile("Inbox - Google Chrome", "Google Chrome"), std::nullopt);
    EXPECT_EQ(TabCleanup::profile("Inbox - Google Chrome -   ", "Google Chrome"), std::nullopt);
    EXPECT_EQ(TabCleanup::profile("Inbox - google chrome - Work", "Google Chrome"), std::nullopt);
}

TEST(TabCleanupNormalize, LowersSchemeAndHostDropsFragmentAndOneSlash)
{
    EXPECT_EQ(TabCleanup::normalize("HTTPS://User@Example.COM:8080/Path?Q=Yes#Top"), "https://User@example.com:8080/Path?Q=Yes");
    EXPECT_EQ(TabCleanup::normalize("https://ex%C3%A9mple.COM/docs//#intro"), "https://ex%C3%A9mple.com/docs/");
    EXPECT_EQ(TabCleanup::normalize("file:///tmp/x?#"), "file:///tmp/x?");
}

TEST(TabCleanupNormalize, TextThatIsNoAddressStaysAsItIs)
{
    // Each would lose its trailing slash, case or fragment if it were read as an address.
    for (const char* text : {"Not An Address/", "HTTPS://EXAMPLE.com/100%/", "HTTPS://EXAMPLE.com/\xC3\xA9/",
                             "https://a@b@C/x/", "HTTPS://EXAMPLE.com:80a/x/", "1HTTP://C/x/", "https://[::1/x/",
                             "HTTP://C/#a#b"})
        EXPECT_EQ(TabCleanup::normalize(text), text);
}

TEST(TabCleanupDuplicates, LaterRepeatsWithinOneProfileOnly)
{
    // 4/41 differs only in host case and fragment, 4/43 only in a trailing slash; the
    // Work window and the incognito window repeat addresses without being duplicates.
    const auto recorded = TabScript::parse(test::fixture("browser-tabs/listing-profiles.txt"), "Google Chrome");
    EXPECT_EQ(duplicateIDs(recorded), (std::vector<std::string>{"4/41", "4/43"}));

    const auto windows = std::vector{window("1", {"https://a.example.com/", "https://b.example.com/", "https://a.example.com/"}),
                                     window("2", {"https://b.example.com", "https://c.example.com/"}, std::nullopt, true),
                                     window("3", {"https://b.example.com"})};
    EXPECT_EQ(duplicateIDs(windows), (std::vector<std::string>{"1/3", "3/1"}));
}

TEST(TabCleanupMerge, NothingToMergeWithoutTwoNormalWindowsOfOneProfile)
{
    EXPECT_EQ(TabCleanup::mergePlan({window("1", {"a"})}), std::nullopt);
    EXPECT_EQ(TabCleanup::mergePlan({window("1", {"a"}), window("2", {"b"}, "Work")}), std::nullopt);
    EXPECT_EQ(TabCleanup::mergePlan({window("1", {"a"}), window("2", {"b"}, std::nullopt, true)}), std::nullopt);
}

TEST(TabCleanupMerge, TargetIsTheFirstFullestWindowAndIncognitoStaysOut)
{
    const auto windows = std::vector{window("1", {"a1", "a2"}), window("2", {"b1", "b2", "b3", "b4", "b5"}),
                                     window("9", {"x", "y", "z", "w", "v", "u"}, std::nullopt, true),
                                     window("3", {"c1", "c2", "c3", "c4", "c5"})};
    EXPECT_EQ(TabCleanup::mergePlan(windows),
              (MergePlan{"2", {"a1", "a2", "c1", "c2", "c3", "c4", "c5"}, {"1", "3"}, std::nullopt}));
}

TEST(TabCleanupMerge, LargestProfileWinsAndEqualOnesGoByFirstWindow)
{
    const auto largest = std::vector{window("1", {"a"}, "Home"), window("2", {"b"}), window("3", {"c"}, "Home"),
                                     window("4", {"d"}), window("5", {"e", "e"}, "Home")};
    EXPECT_EQ(TabCleanup::mergePlan(largest), (MergePlan{"5", {"a", "c"}, {"1", "3"}, "Home"}));

    auto tied = std::vector{window("7", {"w"}, "Work"), window("8", {"x"}), window("9", {"y"}, "Work"), window("10", {"z"})};
    EXPECT_EQ(TabCleanup::mergePlan(tied), (MergePlan{"7", {"y"}, {"9"}, "Work"}));
    std::swap(tied[0], tied[1]);
    EXPECT_EQ(TabCleanup::mergePlan(tied), (MergePlan{"8", {"z"}, {"10"}, std::nullopt}));
}

TEST(TabCleanupExtensions, CountsOnlyExtensionProcessesInsideTheBundle)
{
    // The fixture also holds a sibling bundle, another browser, a renderer without the
    // flag, an unreadable size and the flag in an unrelated command.
    const auto listing = test::fixture("browser-tabs/ps-args.txt");
    EXPECT_EQ(TabCleanup::extensions(listing, "/Applications/Google Chrome.app"),
              (TabCleanup::ExtensionUsage{2, (51200 + 20480) * 1024LL}));
    EXPECT_EQ(TabCleanup::extensions(listing, "/Applications/Brave Browser.app").count, 1);
    EXPECT_EQ(TabCleanup::extensions("", "/A.app"), (TabCleanup::ExtensionUsage{}));
}

TEST(TabCleanupExtensions, CommandLineStartsRightAfterTheSizesSpace)
{
    EXPECT_EQ(TabCleanup::extensions("1 10 /A.app/x --extension-process\n", "/A.app").count, 1);
    // The size may carry a sign, as any whole number of the listing may.
    EXPECT_EQ(TabCleanup::extensions("1 +2048 /A.app/x --extension-process\n", "/A.app"),
              (TabCleanup::ExtensionUsage{1, 2048 * 1024}));
    EXPECT_EQ(TabCleanup::extensions("1 +-2048 /A.app/x --extension-process\n", "/A.app").count, 0);
    EXPECT_EQ(TabCleanup::extensions("1 10  /A.app/x --extension-process\n1 10 \n", "/A.app").count, 0);
    // A sibling bundle whose name extends the app's path is another app.
    EXPECT_EQ(TabCleanup::extensions("1 10 /A.app2/x --extension-process\n", "/A.app").count, 0);
}

TEST(TabCleanupExtensions, SizesThatWouldOverflowAreSkippedAndTheSumSaturates)
{
    EXPECT_EQ(TabCleanup::extensions("1 9223372036854775807 /A.app/x --extension-process\n"
                                     "2 4 /A.app/x --extension-process\n", "/A.app"),
              (TabCleanup::ExtensionUsage{1, 4096}));
    EXPECT_EQ(TabCleanup::extensions("1 9007199254740991 /A.app/x --extension-process\n"
                                     "2 9007199254740991 /A.app/x --extension-process\n", "/A.app").memoryBytes,
              std::numeric_limits<int64_t>::max());
}
