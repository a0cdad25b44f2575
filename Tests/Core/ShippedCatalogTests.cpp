#include "Core/ProcessCatalog.hpp"
#include "Core/SafetyGate.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>

using namespace corvane;

namespace {

const ProcessCatalog& shipped()
{
    static const ProcessCatalog catalog = ProcessCatalog::load(CORVANE_CATALOG);
    return catalog;
}

bool offers(const std::vector<FixID>& fixes, FixID fix)
{
    return std::find(fixes.begin(), fixes.end(), fix) != fixes.end();
}

// An entry, not a fallback, explains the process; the name alone must be enough.
Explanation known(const std::string& name, const std::string& path = "/nowhere/known")
{
    auto e = shipped().explain(name, path, std::nullopt);
    EXPECT_FALSE(e.isFallback) << name << " is not in the catalog";
    return e;
}

} // namespace

TEST(ShippedCatalog, EntriesAreCompleteAndWellFormed)
{
    const auto& entries = shipped().entries();
    EXPECT_GE(entries.size(), 100u);

    const std::regex kebab("[a-z0-9]+(-[a-z0-9]+)*");
    const std::regex symbol("[a-z0-9]+(\\.[a-z0-9]+)*");
    std::set<std::string> ids;
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.id);
        EXPECT_TRUE(ids.insert(entry.id).second) << "duplicate id";
        EXPECT_TRUE(std::regex_match(entry.id, kebab));
        EXPECT_TRUE(std::regex_match(entry.guide, kebab));
        if (entry.symbol) {
            EXPECT_TRUE(std::regex_match(*entry.symbol, symbol));
        }
        EXPECT_FALSE(entry.title.empty());
        EXPECT_FALSE(entry.summary.empty());
        EXPECT_FALSE(entry.whyHigh.empty());
        if (entry.idleNote) {
            EXPECT_FALSE(entry.idleNote->empty());
        }
        EXPECT_FALSE(entry.match.names.empty() && entry.match.pathPrefixes.empty() && entry.match.launchdLabels.empty())
            << "matches nothing";
        EXPECT_EQ(std::set<FixID>(entry.fixes.begin(), entry.fixes.end()).size(), entry.fixes.size())
            << "a fix is offered twice";
    }
}

// First match wins, so a name listed twice, or a prefix behind an earlier one that
// already covers it, can never be reached.
TEST(ShippedCatalog, NoMatchIsHiddenBehindAnEarlierEntry)
{
    const auto& entries = shipped().entries();
    std::map<std::string, std::string> ownerOfName;
    for (const auto& entry : entries) {
        for (const auto& name : entry.match.names) {
            EXPECT_EQ(name.find('/'), std::string::npos) << entry.id << ": names are last path components";
            const auto [it, fresh] = ownerOfName.emplace(name, entry.id);
            EXPECT_TRUE(fresh) << name << " is listed by " << it->second << " and " << entry.id;
        }
    }
    for (std::size_t later = 0; later < entries.size(); ++later) {
        for (std::size_t earlier = 0; earlier < later; ++earlier) {
            const auto& a = entries[earlier].match;
            const auto& b = entries[later].match;
            for (const auto& prefix : a.pathPrefixes)
                for (const auto& hidden : b.pathPrefixes)
                    EXPECT_FALSE(hidden.starts_with(prefix)) << entries[later].id << " path " << hidden;
            for (const auto& stem : a.launchdLabels)
                for (const auto& hidden : b.launchdLabels)
                    EXPECT_FALSE(hidden.starts_with(stem)) << entries[later].id << " label " << hidden;
        }
    }
}

TEST(ShippedCatalog, VerdictsAgreeWithTheFixesOffered)
{
    // Tabs can only be reviewed in the three browsers the tab panel scripts, by their app bundles.
    const std::set<std::string> scriptableBundles{"/Applications/Google Chrome.app/", "/Applications/Brave Browser.app/",
                                                  "/Applications/Microsoft Edge.app/"};
    for (const auto& entry : shipped().entries()) {
        SCOPED_TRACE(entry.id);
        if (entry.verdict == Verdict::safe) {
            EXPECT_TRUE(offers(entry.fixes, FixID::quitApp));
        }
        if (entry.verdict == Verdict::leave) {
            EXPECT_FALSE(offers(entry.fixes, FixID::quitApp));
        }
        if (offers(entry.fixes, FixID::reviewTabs)) {
            ASSERT_EQ(entry.match.pathPrefixes.size(), 1u);
            EXPECT_TRUE(scriptableBundles.contains(entry.match.pathPrefixes.front()));
        }
    }
}

TEST(ShippedCatalog, SessionCriticalProcessesAreNeverSafeToQuit)
{
    std::vector<std::string> critical(SafetyGate::denyNames().begin(), SafetyGate::denyNames().end());
    for (const char* linux : {"systemd", "init", "systemd-journald", "systemd-logind", "systemd-udevd", "dbus-daemon",
                              "dbus-broker", "polkitd", "Xorg", "Xwayland", "gnome-shell", "gnome-session-binary",
                              "plasmashell", "kwin_x11", "kwin_wayland", "pipewire", "wireplumber", "pipewire-pulse",
                              "NetworkManager", "wpa_supplicant", "gdm3", "sddm", "udisksd", "mount.ntfs-3g", "dpkg"})
        critical.emplace_back(linux);
    for (const auto& name : critical) {
        const auto e = known(name);
        EXPECT_NE(e.verdict, Verdict::safe) << name;
        EXPECT_FALSE(offers(e.fixes, FixID::quitApp)) << name;
    }
    // A systemd helper nobody listed by name still gets the systemd explanation.
    EXPECT_EQ(known("systemd-hostnamed", "/usr/lib/systemd/systemd-hostnamed").verdict, Verdict::leave);
}

TEST(ShippedCatalog, ExplainsTheProcessesTheRulesSingleOut)
{
    for (const char* name : {"mds", "mds_stores", "mdworker_shared", "mdworker", "mdbulkimport", "corespotlightd",
                             "spotlightknowledged"}) {
        const auto e = known(name, "/System/Library/Frameworks/CoreServices.framework/Support/x");
        EXPECT_TRUE(offers(e.fixes, FixID::openSpotlightSettings)) << name;
        EXPECT_TRUE(offers(e.fixes, FixID::rebuildSpotlightIndex)) << name;
    }
    for (const char* name : {"photoanalysisd", "mediaanalysisd"})
        EXPECT_TRUE(known(name).idleNote) << name;

    EXPECT_EQ(known("kernel_task", "kernel_task").verdict, Verdict::leave);
    const auto windowServer = known("WindowServer", "/System/Library/PrivateFrameworks/SkyLight.framework/Resources/WindowServer");
    EXPECT_TRUE(offers(windowServer.fixes, FixID::openDisplaySettings));
    EXPECT_TRUE(offers(windowServer.fixes, FixID::openAccessibilityDisplay));

    // Without a host app the summary is the whole advice, so the guest must be explained.
    const auto vm = shipped().explain(
        "com.apple.Virtualization.VirtualMachine",
        "/System/Library/Frameworks/Virtualization.framework/Versions/A/XPCServices/x.xpc/Contents/MacOS/x", std::nullopt);
    EXPECT_EQ(vm.entryID, "virtualization-framework");
}

TEST(ShippedCatalog, BrowsersAreRecognisedByBundleAndInstallFolder)
{
    const auto helper = shipped().explain(
        "chrome_crashpad_handler",
        "/Applications/Google Chrome.app/Contents/Frameworks/Google Chrome Framework.framework/Helpers/chrome_crashpad_handler",
        std::string("Google Chrome"));
    EXPECT_EQ(helper.entryID, "google-chrome");
    EXPECT_EQ(helper.fixes, (std::vector<FixID>{FixID::reviewTabs, FixID::quitApp}));

    ProcessGroup edge;
    edge.id = "/Applications/Microsoft Edge.app";
    edge.appPath = edge.id;
    edge.displayName = "Microsoft Edge";
    edge.members = {ProcessUsage{7, 1, 501, "me", edge.id + "/Contents/MacOS/Microsoft Edge", "Microsoft Edge", 0, 0}};
    EXPECT_TRUE(offers(shipped().explain(edge).fixes, FixID::reviewTabs));

    EXPECT_EQ(known("firefox-esr", "/usr/lib/firefox-esr/firefox-esr").entryID, "firefox");
    EXPECT_EQ(known("crashreporter", "/usr/lib/firefox/crashreporter").entryID, "firefox");
    EXPECT_EQ(known("chrome", "/opt/google/chrome/chrome").title, "Google Chrome");
    // Chromium's snap runs a binary named "chrome"; it must not be taken for Google Chrome.
    EXPECT_EQ(known("chrome", "/snap/chromium/2890/usr/lib/chromium-browser/chrome").entryID, "chromium");
}

TEST(ShippedCatalog, BackgroundUpdatersAreRecognisedByLabel)
{
    const auto keystone = shipped().explain(std::string("com.google.keystone.agent"), std::nullopt);
    EXPECT_EQ(keystone.entryID, "google-updater");
    EXPECT_TRUE(offers(keystone.fixes, FixID::openLoginItemsSettings));
    EXPECT_EQ(shipped().explain(std::string("com.microsoft.update.agent"), std::nullopt).entryID, "microsoft-autoupdate");
    EXPECT_EQ(shipped().explain(std::string("com.apple.metadata.mds.index"), std::nullopt).entryID, "spotlight-mds");
}
