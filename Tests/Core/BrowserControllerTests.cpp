#include "Core/BrowserController.hpp"

#include "Core/BrowserError.hpp"
#include "Core/OSAScriptRunner.hpp"
#include "Core/TabScript.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

// Records every script and answers with a fixed text.
struct FakeRunner : ScriptRunner {
    std::string output;
    std::vector<std::string> scripts;

    std::string run(const std::string& script) override
    {
        scripts.push_back(script);
        return output;
    }
};

template <typename Call>
std::optional<BrowserError> errorOf(Call call)
{
    try {
        call();
    } catch (const BrowserError& error) {
        return error;
    }
    return std::nullopt;
}

const std::vector<BrowserTab> someTabs{BrowserTab{"1/2", "1", "2", "t", "https://example.com/", false}};
const MergePlan somePlan{"1", {"https://example.com/"}, {"2"}, std::nullopt};

} // namespace

TEST(BrowserController, EachOperationChecksTheBrowserThenSendsItsScript)
{
    auto runner = std::make_shared<FakeRunner>();
    runner->output = test::fixture("browser-tabs/listing-profiles.txt");
    std::vector<std::string> asked;
    const BrowserController controller(runner, [&](const std::string& id) { return asked.push_back(id), true; });

    const auto windows = controller.windows(ChromiumBrowser::chrome);
    controller.close(someTabs, ChromiumBrowser::brave);
    controller.merge(somePlan, ChromiumBrowser::brave);
    controller.openMemorySaver(ChromiumBrowser::edge);
    controller.close({}, ChromiumBrowser::edge);

    ASSERT_EQ(windows.size(), 4u);
    EXPECT_EQ(windows[1].profile, "Work");  // parsed with the browser's own name
    EXPECT_EQ(runner->scripts, (std::vector<std::string>{TabScript::list(ChromiumBrowser::chrome),
                                                         TabScript::close(someTabs, ChromiumBrowser::brave),
                                                         TabScript::merge(somePlan, ChromiumBrowser::brave),
                                                         TabScript::openMemorySaver(ChromiumBrowser::edge)}));
    EXPECT_EQ(asked, (std::vector<std::string>{"com.google.Chrome", "com.brave.Browser", "com.brave.Browser",
                                               "com.microsoft.edgemac"}));
}

TEST(BrowserController, NotRunningBrowserGetsNoScript)
{
    auto runner = std::make_shared<FakeRunner>();
    const BrowserController controller(runner, [](const std::string&) { return false; });
    const auto notRunning = BrowserError::notRunning();
    EXPECT_EQ(errorOf([&] { controller.windows(ChromiumBrowser::chrome); }), notRunning);
    EXPECT_EQ(errorOf([&] { controller.close(someTabs, ChromiumBrowser::chrome); }), notRunning);
    EXPECT_EQ(errorOf([&] { controller.merge(somePlan, ChromiumBrowser::chrome); }), notRunning);
    EXPECT_EQ(errorOf([&] { controller.openMemorySaver(ChromiumBrowser::chrome); }), notRunning);
    EXPECT_EQ(errorOf([&] { controller.close({}, ChromiumBrowser::chrome); }), std::nullopt);
    EXPECT_TRUE(runner->scripts.empty());
}

TEST(BrowserController, ToolErrorsReachTheCallerAsBrowserErrors)
{
    const auto failingWith = [](std::string stderrText) {
        auto runner = std::make_shared<OSAScriptRunner>(
            [stderrText](const std::string&, const std::vector<std::string>&) { return Shell::Output{1, "", stderrText}; });
        return BrowserController(runner, [](const std::string&) { return true; });
    };
    const auto chrome = ChromiumBrowser::chrome;
    EXPECT_EQ(errorOf([&] { failingWith("Not authorized to send Apple events to Google Chrome. (-1743)").windows(chrome); }),
              BrowserError::notPermitted());
    EXPECT_EQ(errorOf([&] { failingWith("Google Chrome got an error: Application isn't running. (-600)").close(someTabs, chrome); }),
              BrowserError::notRunning());
    EXPECT_EQ(errorOf([&] { failingWith("  Can't get window 9. (-1728)\n").merge(somePlan, chrome); }),
              BrowserError::failed("Can't get window 9. (-1728)"));
}
