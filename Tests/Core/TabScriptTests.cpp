#include "Core/TabScript.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <algorithm>

using namespace corvane;

namespace {

const std::string RS = "\x1E";
const std::string US = "\x1F";

std::string record(std::initializer_list<std::string> fields)
{
    std::string text;
    for (const auto& field : fields)
        text += (text.empty() ? "" : US) + field;
    return text + RS;
}

BrowserTab tab(const std::string& windowID, const std::string& tabID)
{
    return BrowserTab{windowID + "/" + tabID, windowID, tabID, "", "", false};
}

} // namespace

TEST(TabScriptText, ListingScript)
{
    EXPECT_EQ(TabScript::list(ChromiumBrowser::chrome),
              "set RS to character id 30\n"
              "set US to character id 31\n"
              "set out to \"\"\n"
              "tell application id \"com.google.Chrome\"\n"
              "    repeat with w in windows\n"
              "        set wid to (id of w) as text\n"
              "        set out to out & \"W\" & US & wid & US & (mode of w) & US & ((active tab index of w) as text)"
              " & US & my stripSeparators(name of w) & RS\n"
              "        repeat with t in tabs of w\n"
              "            set out to out & \"T\" & US & wid & US & ((id of t) as text)"
              " & US & my stripSeparators(title of t) & US & my stripSeparators(URL of t) & RS\n"
              "        end repeat\n"
              "    end repeat\n"
              "end tell\n"
              "return out\n"
              "on stripSeparators(s)\n"
              "    set AppleScript's text item delimiters to {character id 30, character id 31}\n"
              "    set pieces to text items of (s as text)\n"
              "    set AppleScript's text item delimiters to \" \"\n"
              "    set s to pieces as text\n"
              "    set AppleScript's text item delimiters to \"\"\n"
              "    return s\n"
              "end stripSeparators");
}

TEST(TabScriptText, ClosingNamesEachTabsOwnNormalWindowInOrder)
{
    EXPECT_EQ(TabScript::close({tab("12", "7"), tab("3", "40"), tab("1\" or true", "x")}, ChromiumBrowser::brave),
              "tell application id \"com.brave.Browser\"\n"
              "    close (every tab of (first window whose id is 12 and mode is \"normal\") whose id is 7)\n"
              "    close (every tab of (first window whose id is 3 and mode is \"normal\") whose id is 40)\n"
              "    close (every tab of (first window whose id is \"1\\\" or true\" and mode is \"normal\")"
              " whose id is \"x\")\n"
              "end tell");
}

TEST(TabScriptText, MergeReopensAddressesThenClosesWindows)
{
    const MergePlan plan{"5", {"https://a.example.com/", "123"}, {"6", "8"}, std::nullopt};
    EXPECT_EQ(TabScript::merge(plan, ChromiumBrowser::chrome),
              "tell application id \"com.google.Chrome\"\n"
              "    make new tab at end of tabs of (first window whose id is 5 and mode is \"normal\")"
              " with properties {URL:\"https://a.example.com/\"}\n"
              "    make new tab at end of tabs of (first window whose id is 5 and mode is \"normal\")"
              " with properties {URL:\"123\"}\n"
              "    close (first window whose id is 6 and mode is \"normal\")\n"
              "    close (first window whose id is 8 and mode is \"normal\")\n"
              "end tell");
    EXPECT_EQ(TabScript::merge(MergePlan{"5", {}, {}, "Work"}, ChromiumBrowser::chrome),
              "tell application id \"com.google.Chrome\"\nend tell");
}

TEST(TabScriptText, MemorySaverOpensTheBrowsersOwnPage)
{
    EXPECT_EQ(TabScript::openMemorySaver(ChromiumBrowser::edge),
              "tell application id \"com.microsoft.edgemac\"\n"
              "    if (count of windows) is 0 then make new window\n"
              "    make new tab at end of tabs of front window with properties"
              " {URL:\"edge://settings/system/managePerformance\"}\n"
              "    activate\n"
              "end tell");
}

TEST(TabScriptText, LiteralsQuoteAllButPlainDigitsAndEscapeBackslashFirst)
{
    EXPECT_EQ(TabScript::literal("123", false), "123");
    EXPECT_EQ(TabScript::literal("123", true), "\"123\"");
    EXPECT_EQ(TabScript::literal("12a", false), "\"12a\"");
    EXPECT_EQ(TabScript::literal("", false), "\"\"");
    EXPECT_EQ(TabScript::literal("a\\b\"c", false), "\"a\\\\b\\\"c\"");
}

TEST(TabScriptParse, ReadsWindowsProfilesAndActiveTabs)
{
    const auto windows = TabScript::parse(test::fixture("browser-tabs/listing-profiles.txt"), "Google Chrome");
    ASSERT_EQ(windows.size(), 4u);
    EXPECT_EQ(windows[0].profile, std::nullopt);
    ASSERT_EQ(windows[0].tabs.size(), 2u);
    EXPECT_EQ(windows[0].tabs[0], (BrowserTab{"1/11", "1", "11", "Inbox", "https://mail.example.com/inbox", false}));
    EXPECT_EQ(windows[0].tabs[1],
              (BrowserTab{"1/12", "1", "12", "Docs", "https://docs.example.com/a#section", true}));
    EXPECT_EQ(windows[1].profile, "Work");
    EXPECT_TRUE(windows[1].tabs[0].isActive);
    EXPECT_TRUE(windows[2].isIncognito);
    EXPECT_FALSE(windows[3].isIncognito);
    EXPECT_TRUE(windows[3].tabs[2].isActive);
}

TEST(TabScriptParse, DropsMalformedRecordsAndKeepsTheRest)
{
    const auto windows = TabScript::parse(test::fixture("browser-tabs/listing-malformed.txt"), "Google Chrome");
    ASSERT_EQ(windows.size(), 3u);
    // An orphan tab, short, long and unknown records are gone; an unreadable index makes the first tab active.
    ASSERT_EQ(windows[0].tabs.size(), 2u);
    EXPECT_EQ(windows[0].profile, "Home");
    EXPECT_EQ(windows[0].tabs[0].id, "5/51");
    EXPECT_TRUE(windows[0].tabs[0].isActive);
    EXPECT_EQ(windows[0].tabs[1].id, "5/55");
    // A repeated window id: later tabs join the later window, under its active index.
    EXPECT_EQ(windows[1].id, "5");
    ASSERT_EQ(windows[1].tabs.size(), 2u);
    EXPECT_TRUE(windows[1].tabs[1].isActive);
    // An empty mode is not "normal".
    EXPECT_TRUE(windows[2].isIncognito);
    EXPECT_TRUE(TabScript::parse(RS + RS, "Google Chrome").empty());
}

TEST(TabScriptParse, ActiveIndexTakesASignAndFallsBackToTheFirstTab)
{
    const auto windows = TabScript::parse(
        record({"W", "1", "normal", "+2", ""}) + record({"T", "1", "7", "", ""}) + record({"T", "1", "9", "", ""}) +
            record({"W", "2", "normal", "-1", ""}) + record({"T", "2", "3", "", ""}) +
            record({"W", "4", "normal", "99999999999999999999", ""}) + record({"T", "4", "1", "", ""}),
        "Google Chrome");
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_TRUE(windows[0].tabs[1].isActive);
    EXPECT_FALSE(windows[1].tabs[0].isActive);
    EXPECT_TRUE(windows[2].tabs[0].isActive);
}

// A page sets its own title. The listing script turns separator characters in
// titles, addresses and window names into spaces before they reach the listing:
// left in, they would forge a tab that "close duplicates" then acts on.
TEST(TabScriptParse, HostileTitleCannotForgeARecord)
{
    const auto tabsOf = [](const std::string& title) {
        return TabScript::parse(record({"W", "1", "normal", "1", ""}) +
                                    record({"T", "1", "5", title, "https://cats.example.com/"}),
                                "Google Chrome")[0].tabs;
    };
    const std::string forged = "Cats" + RS + record({"T", "1", "99", "Bank", "https://bank.example.com/"});
    const auto raw = tabsOf(forged);
    ASSERT_EQ(raw.size(), 1u);
    EXPECT_EQ(raw[0].url, "https://bank.example.com/");

    std::string cleaned = forged;
    std::replace_if(cleaned.begin(), cleaned.end(), [](char c) { return c == '\x1E' || c == '\x1F'; }, ' ');
    const auto tabs = tabsOf(cleaned);
    ASSERT_EQ(tabs.size(), 1u);
    EXPECT_EQ(tabs[0].id, "1/5");
    EXPECT_EQ(tabs[0].url, "https://cats.example.com/");
}
