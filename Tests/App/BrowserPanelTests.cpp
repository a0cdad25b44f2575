#include "CorvaneApp/BrowserPanel.hpp"

#include "Core/BrowserError.hpp"
#include "Core/OSAScriptRunner.hpp"
#include "Core/TabScript.hpp"
#include "Tests/App/Support/AppHarness.hpp"
#include "Tests/App/Support/Keyboard.hpp"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <variant>

using namespace corvane;
using Case = BrowserPanel::Phase::Case;

namespace {

// A browser behind a script runner: answers listings the test queues, records every script.
class FakeBrowser : public ScriptRunner {
public:
    std::string run(const std::string& script) override
    {
        scripts.push_back(script);
        if (answers.empty())
            return {};
        auto answer = answers.front();
        answers.pop_front();
        if (auto* error = std::get_if<BrowserError>(&answer))
            throw *error;
        return std::get<std::string>(answer);
    }

    std::deque<std::variant<std::string, BrowserError>> answers;
    std::vector<std::string> scripts;
    bool running = true;
};

// A tab listing as the listing script prints it.
struct Listing {
    Listing& window(const std::string& id, const std::string& name = "Page - Google Chrome",
                    const std::string& mode = "normal")
    {
        text += "W\x1F" + id + "\x1F" + mode + "\x1F" + "1\x1F" + name + "\x1E";
        return *this;
    }
    Listing& tab(const std::string& window, const std::string& id, const std::string& title, const std::string& url)
    {
        text += "T\x1F" + window + "\x1F" + id + "\x1F" + title + "\x1F" + url + "\x1E";
        return *this;
    }
    std::string text;
};

class BrowserPanelTest : public ::testing::Test {
protected:
    BrowserPanelTest()
    {
        browser = std::make_shared<FakeBrowser>();
        services.controller = std::make_shared<BrowserController>(
            browser, [fake = browser.get()](const std::string&) { return fake->running; });
        services.installedApp = [](const std::string&) { return std::optional<std::string>("/opt/chrome"); };
        services.processListing = [] {
            return std::string("10 2048 /opt/chrome/chrome --type=renderer --extension-process\n");
        };
    }

    std::unique_ptr<BrowserPanel> panel(ChromiumBrowser which = ChromiumBrowser::chrome)
    {
        return std::make_unique<BrowserPanel>(which, env, services);
    }

    // A panel past its primer with this listing read.
    std::unique_ptr<BrowserPanel> loadedPanel(const Listing& listing)
    {
        harness.settings->setAutomationPrimer("com.google.Chrome", true);
        browser->answers.push_back(listing.text);
        auto result = panel();
        harness.executor.runAll();
        return result;
    }

    static void click(QPushButton* button)
    {
        ASSERT_NE(button, nullptr);
        button->click();
    }

    static void confirmWith(QMessageBox* alert, const QString& title)
    {
        ASSERT_NE(alert, nullptr);
        for (auto* candidate : alert->buttons())
            if (candidate->text() == title)
                return candidate->click();
        FAIL() << "no button " << title.toStdString();
    }

    test::AppHarness app;
    test::MonitorHarness& harness = app.harness;
    Router& router = app.router;
    ViewEnvironment& env = app.env;
    std::shared_ptr<FakeBrowser> browser;
    BrowserPanelServices services;
    std::shared_ptr<test::FakeFixBackend>& backend = app.backend;
};

Listing twoWindows()
{
    return Listing()
        .window("1")
        .tab("1", "11", "Mail", "https://mail.example/")
        .tab("1", "12", "<a href=\"https://news.example/\">News</a>", "https://news.example/")
        .tab("1", "13", "Mail again", "https://mail.example")
        .window("2", "Private - Google Chrome", "incognito")
        .tab("2", "21", "Secret", "https://secret.example/");
}

} // namespace

TEST_F(BrowserPanelTest, PrimerComesFirstAndContinueIsRememberedPerBrowser)
{
    auto first = panel();
    EXPECT_EQ(first->state().phase.kind, Case::primer);
    harness.executor.runAll();
    EXPECT_TRUE(browser->scripts.empty());

    browser->answers.push_back(twoWindows().text);
    click(first->button("Continue"));
    EXPECT_TRUE(harness.settings->automationPrimer("com.google.Chrome"));
    EXPECT_EQ(first->state().phase.kind, Case::loading);
    harness.executor.runAll();
    EXPECT_EQ(first->state().phase.kind, Case::loaded);
    EXPECT_EQ(first->state().windows.size(), 2u);
    ASSERT_TRUE(first->state().extensions);
    EXPECT_EQ(first->state().extensions->count, 1);
    EXPECT_EQ(first->state().extensions->memoryBytes, 2048 * 1024);
    EXPECT_EQ(first->width(), BrowserPanel::sheetWidth);
    EXPECT_EQ(first->height(), BrowserPanel::loadedHeight);

    // The same browser goes straight to reading; another still explains first.
    EXPECT_EQ(panel()->state().phase.kind, Case::loading);
    EXPECT_EQ(panel(ChromiumBrowser::brave)->state().phase.kind, Case::primer);

    // "Not now" closes the sheet and leaves the key unset.
    router.setBrowser(ChromiumBrowser::edge);
    auto edge = panel(ChromiumBrowser::edge);
    click(edge->button("Not now"));
    EXPECT_FALSE(router.browser());
    EXPECT_FALSE(harness.settings->automationPrimer("com.microsoft.edgemac"));
}

TEST_F(BrowserPanelTest, FailurePhasesAndTheirButtons)
{
    harness.settings->setAutomationPrimer("com.google.Chrome", true);
    browser->running = false;
    auto shown = panel();
    harness.executor.runAll();
    EXPECT_EQ(shown->state().phase.kind, Case::notRunning);
    EXPECT_TRUE(browser->scripts.empty());
    // The extensions are measured after a failed read too.
    EXPECT_TRUE(shown->state().extensions);

    browser->running = true;
    browser->answers.push_back(BrowserError::notPermitted());
    click(shown->button("Try again"));
    harness.executor.runAll();
    EXPECT_EQ(shown->state().phase.kind, Case::notPermitted);
    backend->panesOpen = false;
    click(shown->button("Open Automation settings"));
    harness.executor.runAll();
    EXPECT_EQ(backend->opened, std::vector<SettingsPane>{SettingsPane::automation});
    EXPECT_EQ(env.fixActions.toast(), "Couldn't open Automation settings.");
    EXPECT_EQ(shown->state().phase.kind, Case::notPermitted);
    EXPECT_LT(shown->height(), BrowserPanel::loadedHeight);

    router.setBrowser(ChromiumBrowser::chrome);
    click(shown->button("Close"));
    EXPECT_FALSE(router.browser());
}

TEST_F(BrowserPanelTest, WithoutTheScriptToolReadingFailsWithTheLaunchError)
{
    harness.settings->setAutomationPrimer("com.google.Chrome", true);
    services.controller = std::make_shared<BrowserController>(std::make_shared<OSAScriptRunner>(),
                                                              [](const std::string&) { return true; });
    auto shown = panel();
    harness.executor.runAll();
    EXPECT_EQ(shown->state().phase.kind, Case::failed);
    EXPECT_NE(shown->state().phase.message.find("osascript"), std::string::npos) << shown->state().phase.message;
    EXPECT_TRUE(test::showsText(*shown, "Couldn't read your tabs."));
}

TEST_F(BrowserPanelTest, ConfirmedCloseSendsExactlyThePickedTabsThenReloads)
{
    auto shown = loadedPanel(twoWindows());
    ASSERT_EQ(shown->state().phase.kind, Case::loaded);

    // Incognito tabs cannot be picked.
    EXPECT_FALSE(shown->windowSection("2")->row("2/21")->checkBox()->isEnabled());
    shown->windowSection("1")->row("1/11")->checkBox()->click();
    shown->windowSection("1")->row("1/12")->checkBox()->click();
    EXPECT_EQ(shown->state().selected, (std::set<std::string>{"1/11", "1/12"}));

    click(shown->button("Close selected (2)"));
    QMessageBox* alert = shown->confirmation();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->informativeText(), "\u2022 Mail\n\u2022 <a href=\"https://news.example/\">News</a>");
    // A page's title is shown as typed, not as a link the alert would follow.
    const auto labels = alert->findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](const QLabel* label) {
        return label->text() == alert->informativeText() && label->textFormat() == Qt::PlainText;
    }));

    browser->answers.push_back(twoWindows().text);
    const auto picked = shown->state().windows[0].tabs;
    confirmWith(alert, "Close Tabs");
    EXPECT_TRUE(shown->state().working);
    EXPECT_FALSE(shown->state().confirm);

    harness.executor.runNext();  // the close
    ASSERT_EQ(browser->scripts.size(), 2u);
    EXPECT_EQ(browser->scripts[1], TabScript::close({picked[0], picked[1]}, ChromiumBrowser::chrome));
    EXPECT_TRUE(shown->state().selected.empty());
    EXPECT_EQ(shown->state().phase.kind, Case::loading);

    harness.executor.runAll();  // the reload and its extension count
    EXPECT_EQ(browser->scripts.size(), 3u);
    EXPECT_EQ(shown->state().phase.kind, Case::loaded);
    EXPECT_FALSE(shown->state().working);
}

TEST_F(BrowserPanelTest, ReturnInACloseOrMergeQuestionTouchesNoTab)
{
    auto shown = loadedPanel(Listing(twoWindows()).window("3").tab("3", "31", "Maps", "https://maps.example/"));
    shown->show();
    const size_t scripts = browser->scripts.size();
    for (const QString& action : {QStringLiteral("Close 1 duplicate"), QStringLiteral("Merge into one window")}) {
        click(shown->button(action));
        ASSERT_NE(shown->confirmation(), nullptr) << action.toStdString();
        EXPECT_EQ(test::keyboardWindow(), shown->confirmation());
        ASSERT_TRUE(test::press(Qt::Key_Return));
        EXPECT_FALSE(shown->state().confirm);
        EXPECT_FALSE(shown->state().working);
        harness.executor.runAll();
        EXPECT_EQ(browser->scripts.size(), scripts) << action.toStdString() << ": Return sent a script";
    }
}

TEST_F(BrowserPanelTest, CancelledOrFailedActionsLeaveTheSelection)
{
    auto shown = loadedPanel(twoWindows());
    click(shown->button("Close 1 duplicate"));
    ASSERT_NE(shown->confirmation(), nullptr);
    shown->confirmation()->reject();
    EXPECT_FALSE(shown->state().confirm);
    EXPECT_EQ(harness.executor.pending(), 0u);

    shown->windowSection("1")->row("1/12")->checkBox()->click();
    click(shown->button("Close selected (1)"));
    browser->answers.push_back(BrowserError::failed("Tab is gone."));
    confirmWith(shown->confirmation(), "Close Tabs");
    harness.executor.runAll();
    EXPECT_EQ(shown->state().phase, BrowserPanel::Phase::failed("Tab is gone."));
    EXPECT_EQ(shown->state().selected, std::set<std::string>{"1/12"});
    EXPECT_FALSE(shown->state().working);
    EXPECT_EQ(shown->state().windows.size(), 2u);
}

TEST_F(BrowserPanelTest, AnOlderReadArrivingLastIsNotShown)
{
    auto shown = loadedPanel(Listing().window("1").tab("1", "1", "First", "https://first.example/"));
    // Answers go to reads in the order they run: the newer read runs first.
    browser->answers.push_back(Listing().window("8").tab("8", "1", "Newer", "https://newer.example/").text);
    browser->answers.push_back(Listing().window("7").tab("7", "1", "Older", "https://older.example/").text);
    shown->load();
    shown->load();
    ASSERT_EQ(harness.executor.pending(), 2u);
    harness.executor.runNext(1);
    harness.executor.runAll();
    ASSERT_EQ(shown->state().windows.size(), 1u);
    EXPECT_EQ(shown->state().windows[0].id, "8");
    EXPECT_TRUE(test::showsText(*shown, "1 tabs in 1 window"));
    EXPECT_EQ(shown->state().phase.kind, Case::loaded);
}
