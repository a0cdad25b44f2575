#include "Core/BrowserTab.hpp"
#include "Core/ChromiumBrowser.hpp"

#include <gtest/gtest.h>

using namespace corvane;

TEST(ChromiumBrowser, BundleIdentifierMustMatchExactly)
{
    EXPECT_EQ(fromString<ChromiumBrowser>("com.brave.Browser"), ChromiumBrowser::brave);
    EXPECT_EQ(fromString<ChromiumBrowser>("com.google.chrome"), std::nullopt);
}

TEST(ChromiumBrowser, AppPathMustEndInTheBrowsersBundle)
{
    EXPECT_EQ(browserFromAppPath("/Applications/Google Chrome.app"), ChromiumBrowser::chrome);
    EXPECT_EQ(browserFromAppPath("/Users/sam/Applications/Brave Browser.app"), ChromiumBrowser::brave);
    EXPECT_EQ(browserFromAppPath("/Applications/Google Chrome Beta.app"), std::nullopt);
    EXPECT_EQ(browserFromAppPath("/Applications/Google Chrome.app/"), std::nullopt);
}

// An installed app's root: the folder the browser's own package puts it in, or its Flatpak.
TEST(ChromiumBrowser, AnInstalledBrowserIsKnownByItsPackageFolderOrFlatpak)
{
    EXPECT_EQ(browserFromAppPath("/opt/google/chrome"), ChromiumBrowser::chrome);
    EXPECT_EQ(browserFromAppPath("/opt/brave.com/brave"), ChromiumBrowser::brave);
    EXPECT_EQ(browserFromAppPath("com.microsoft.Edge"), ChromiumBrowser::edge);
    EXPECT_EQ(browserFromAppPath("/usr/lib/chromium"), std::nullopt);
    EXPECT_EQ(browserFromAppPath("/opt/google/chrome-beta"), std::nullopt);
}

TEST(BrowserTabHost, HostOfAnAddressOrTheAddressItself)
{
    const auto host = [](std::string url) { return BrowserTab{"", "", "", "", std::move(url), false}.host(); };
    EXPECT_EQ(host("https://user@Mail.Example.com:8443/inbox?x#y"), "Mail.Example.com");
    EXPECT_EQ(host("https://ex%C3%A9mple.com/"), "ex%C3%A9mple.com");
    EXPECT_EQ(host("about:blank"), "about:blank");
    EXPECT_EQ(host("file:///Users/sam/notes.txt"), "file:///Users/sam/notes.txt");
    EXPECT_EQ(host("https://exa mple.com/"), "https://exa mple.com/");
}
