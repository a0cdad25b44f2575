#include "CorvaneApp/BrowserPanelModel.hpp"

#include "Core/BrowserError.hpp"
#include "Core/Format.hpp"
#include "Core/TabScript.hpp"

#include <gtest/gtest.h>

#include <system_error>

using namespace corvane;
using namespace corvane::BrowserPanelModel;

namespace {

BrowserTab tab(const std::string& window, const std::string& id, std::string title, std::string url,
               bool active = false)
{
    return {window + "/" + id, window, id, std::move(title), std::move(url), active};
}

BrowserWindow window(std::string id, std::vector<BrowserTab> tabs, std::optional<std::string> profile = {},
                     bool incognito = false)
{
    return {std::move(id), incognito, std::move(profile), std::move(tabs)};
}

State stateWith(std::vector<BrowserWindow> windows, ChromiumBrowser browser = ChromiumBrowser::chrome)
{
    State state;
    state.browser = browser;
    state.phase = Phase::loaded();
    state.windows = std::move(windows);
    return state;
}

// Records the scripts a confirmation sends; the browser always runs.
class RecordingRunner : public ScriptRunner {
public:
    std::string run(const std::string& script) override
    {
        scripts.push_back(script);
        return {};
    }
    std::vector<std::string> scripts;
};

} // namespace

TEST(BrowserPanelPhases, ErrorsMapToTheirPhasesAndMessages)
{
    EXPECT_EQ(phaseFor(std::make_exception_ptr(BrowserError::notPermitted())), Phase::notPermitted());
    EXPECT_EQ(phaseFor(std::make_exception_ptr(BrowserError::notRunning())), Phase::notRunning());
    EXPECT_EQ(phaseFor(std::make_exception_ptr(BrowserError::failed("Syntax error."))), Phase::failed("Syntax error."));
    const auto launch = std::make_exception_ptr(
        std::system_error(ENOENT, std::generic_category(), "/usr/bin/osascript"));
    const auto phase = phaseFor(launch);
    EXPECT_EQ(phase.kind, Phase::Case::failed);
    EXPECT_NE(phase.message.find("/usr/bin/osascript"), std::string::npos);
    EXPECT_EQ(phaseFor(std::make_exception_ptr(42)).kind, Phase::Case::failed);
}

TEST(BrowserPanelPhases, MessageViewsNameTheBrowserAndEndWithClose)
{
    const auto permission = message(Phase::notPermitted(), ChromiumBrowser::edge);
    ASSERT_TRUE(permission);
    EXPECT_NE(permission->body.find("Turn on Microsoft Edge for Corvane"), std::string::npos);
    EXPECT_EQ(permission->buttons, (std::vector<Button>{{"Open Automation settings", true, Action::openAutomation},
                                                        {"Try again", false, Action::tryAgain},
                                                        {"Close", false, Action::close}}));

    const auto notRunning = message(Phase::notRunning(), ChromiumBrowser::brave);
    ASSERT_TRUE(notRunning);
    EXPECT_EQ(notRunning->title, "Brave Browser isn't running.");
    EXPECT_EQ(notRunning->buttons.size(), 2u);

    const auto failed = message(Phase::failed("Boom"), ChromiumBrowser::chrome);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->body, "Boom");

    EXPECT_FALSE(message(Phase::loaded(), ChromiumBrowser::chrome));
    EXPECT_FALSE(message(Phase::primer(), ChromiumBrowser::chrome));
    EXPECT_EQ(loadingText(ChromiumBrowser::chrome), "Reading your Google Chrome tabs\u2026");
}

TEST(BrowserPanelLoaded, CountsTitlesAndFootnote)
{
    auto one = loaded(stateWith({window("1", {tab("1", "1", "Home", "https://a.example/", true)})}));
    EXPECT_EQ(one.title, "1 tabs in 1 window");
    EXPECT_EQ(one.windows[0].count, "\u00B7 1 tabs");
    EXPECT_EQ(one.windows[0].name, "Default profile");
    EXPECT_EQ(one.windows[0].symbol, "macwindow");
    EXPECT_TRUE(one.windows[0].rows[0].isActive);
    EXPECT_FALSE(one.extensionsLine);
    EXPECT_EQ(one.footnote, "Google Chrome doesn't share memory per tab, so totals are for the whole browser.");

    auto state = stateWith({window("1", {tab("1", "1", "", "https://a.example/x"), tab("1", "2", "B", "b")}),
                            window("2", {tab("2", "3", "C", "https://c.example/")}, std::nullopt, true)});
    state.extensions = TabCleanup::ExtensionUsage{0, 0};
    const auto two = loaded(state);
    EXPECT_EQ(two.title, "3 tabs in 2 windows");
    EXPECT_EQ(two.extensionsLine, "Extensions: 0 running, " + Format::bytes(0));
    // A tab without a title shows its address; an address without a host is its own host.
    EXPECT_EQ(two.windows[0].rows[0].text, "https://a.example/x");
    EXPECT_EQ(two.windows[0].rows[0].host, "a.example");
    EXPECT_EQ(two.windows[0].rows[1].host, "b");
    EXPECT_EQ(two.windows[1].symbol, "eyeglasses");
    EXPECT_EQ(two.windows[1].name, "Incognito (not touched)");
    EXPECT_FALSE(two.windows[1].rows[0].checkable);
    EXPECT_TRUE(two.windows[0].rows[0].checkable);
    EXPECT_EQ(two.footnote, "Google Chrome doesn't share memory per tab, so totals are for the whole browser. "
                            "Incognito windows are never touched.");
}

TEST(BrowserPanelLoaded, DuplicatesAndSelectionButtons)
{
    auto state = stateWith({window("1", {tab("1", "1", "A", "https://a.example/"),
                                         tab("1", "2", "A again", "https://A.example")})});
    auto view = loaded(state);
    EXPECT_EQ(view.duplicatesButton, "Close 1 duplicate");
    ASSERT_EQ(view.duplicates.size(), 1u);
    EXPECT_EQ(view.duplicates[0].id, "1/2");
    EXPECT_FALSE(view.closeSelectedButton);
    EXPECT_EQ(closeDuplicatesTitle(1), "Close 1 duplicate tab?");
    EXPECT_EQ(closeDuplicatesTitle(3), "Close 3 duplicate tabs?");

    state.selected = {"1/1", "1/2"};
    view = loaded(state);
    EXPECT_EQ(view.closeSelectedButton, "Close selected (2)");
    EXPECT_TRUE(view.windows[0].rows[1].checked);
    EXPECT_EQ(closeSelectedTitle(2), "Close 2 tabs?");
    EXPECT_EQ(closeSelectedTitle(1), "Close 1 tab?");

    // Ids of tabs that have gone keep the button but no longer count.
    state.selected = {"9/9"};
    view = loaded(state);
    EXPECT_EQ(view.closeSelectedButton, "Close selected (0)");
    EXPECT_TRUE(view.picked.empty());

    state.windows = {window("1", {tab("1", "1", "A", "https://a.example/")})};
    EXPECT_FALSE(loaded(state).duplicatesButton);

    state.working = true;
    EXPECT_FALSE(loaded(state).actionsEnabled);
}

TEST(BrowserPanelLoaded, MergeTitlesFollowTheProfiles)
{
    const auto a = [](const std::string& w) { return tab(w, "1", "T" + w, "https://" + w + ".example/"); };

    // No profile with two normal windows (incognito windows do not count).
    EXPECT_FALSE(loaded(stateWith({window("1", {a("1")}), window("2", {a("2")}, std::nullopt, true)})).mergeButton);

    const auto single = loaded(stateWith({window("1", {a("1")}, "Work"), window("2", {a("2")}, "Work")}));
    EXPECT_EQ(single.mergeButton, "Merge into one window");
    ASSERT_TRUE(single.plan);
    EXPECT_EQ(mergeConfirm(*single.plan, single.profileCount, ChromiumBrowser::chrome, nullptr).title,
              "Merge into one window?");

    const auto named = loaded(stateWith(
        {window("1", {a("1")}, "Work"), window("2", {a("2")}, "Work"), window("3", {a("3")}, "Work"),
         window("4", {a("4")})}));
    EXPECT_EQ(named.mergeButton, "Merge Work windows");
    const auto confirm = mergeConfirm(*named.plan, named.profileCount, ChromiumBrowser::chrome, nullptr);
    EXPECT_EQ(confirm.title, "Merge your Work windows?");
    EXPECT_EQ(confirm.message, "Tabs from 3 windows move into one. They'll reload. Other profiles and incognito "
                               "windows aren't touched.");
    EXPECT_EQ(confirm.button, "Merge");

    const auto defaultMerged = loaded(stateWith({window("1", {a("1")}), window("2", {a("2")}), window("3", {a("3")}, "Work")}));
    EXPECT_EQ(defaultMerged.mergeButton, "Merge Default profile windows");
}

TEST(BrowserPanelConfirm, CloseListsFiveTabsThenCountsTheRestAndClosesExactlyThem)
{
    std::vector<BrowserTab> tabs;
    for (int i = 1; i <= 6; ++i)
        tabs.push_back(tab("1", std::to_string(i), i == 2 ? "" : "Tab " + std::to_string(i),
                           "https://h" + std::to_string(i) + ".example/path"));

    auto runner = std::make_shared<RecordingRunner>();
    auto controller = std::make_shared<BrowserController>(runner, [](const std::string&) { return true; });

    const auto five = closeConfirm({tabs.begin(), tabs.begin() + 5}, "Close 5 tabs?", ChromiumBrowser::chrome, controller);
    EXPECT_EQ(five.message, "\u2022 Tab 1\n\u2022 h2.example\n\u2022 Tab 3\n\u2022 Tab 4\n\u2022 Tab 5");
    EXPECT_EQ(five.button, "Close Tabs");
    EXPECT_EQ(five.title, "Close 5 tabs?");

    const auto six = closeConfirm(tabs, "Close 6 tabs?", ChromiumBrowser::chrome, controller);
    EXPECT_EQ(six.message, five.message + "\nand 1 more");
    EXPECT_NE(six.id, five.id);

    six.run();
    ASSERT_EQ(runner->scripts.size(), 1u);
    EXPECT_EQ(runner->scripts[0], TabScript::close(tabs, ChromiumBrowser::chrome));

    // Nothing left to close: an empty message and no script at all.
    const auto none = closeConfirm({}, closeSelectedTitle(0), ChromiumBrowser::chrome, controller);
    EXPECT_EQ(none.title, "Close 0 tabs?");
    EXPECT_EQ(none.message, "");
    none.run();
    EXPECT_EQ(runner->scripts.size(), 1u);
}
