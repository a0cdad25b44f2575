#include "CorvaneApp/Router.hpp"
#include "Tests/App/Support/SignalCounter.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

TEST(Router, StartsOnTheOverviewAndNotifiesOnlyRealChanges)
{
    Router router;
    EXPECT_EQ(router.screen(), Screen::overview);
    EXPECT_FALSE(router.expandedID().has_value());
    EXPECT_FALSE(router.browser().has_value());
    EXPECT_EQ(router.focusSearch(), 0);

    SignalCounter screen(&router, &Router::screenChanged);
    SignalCounter expanded(&router, &Router::expandedIDChanged);
    SignalCounter browser(&router, &Router::browserChanged);
    SignalCounter focus(&router, &Router::focusSearchChanged);

    router.setScreen(Screen::overview);
    router.setExpandedID(std::nullopt);
    router.setBrowser(std::nullopt);
    router.setFocusSearch(0);
    EXPECT_EQ(screen.count() + expanded.count() + browser.count() + focus.count(), 0);

    router.setScreen(Screen::usage);
    router.setExpandedID(std::string("/Applications/Editor.app"));
    router.setExpandedID(std::string("/Applications/Editor.app"));
    router.setBrowser(ChromiumBrowser::brave);
    router.setBrowser(ChromiumBrowser::brave);
    router.setFocusSearch(router.focusSearch() + 1);
    EXPECT_EQ(screen.take(), 1);
    EXPECT_EQ(expanded.take(), 1);
    EXPECT_EQ(browser.take(), 1);
    EXPECT_EQ(focus.take(), 1);
    EXPECT_EQ(router.screen(), Screen::usage);
    EXPECT_EQ(router.browser(), ChromiumBrowser::brave);

    // Collapsing and closing the sheet are changes too.
    router.setExpandedID(std::nullopt);
    router.setBrowser(std::nullopt);
    EXPECT_EQ(expanded.count(), 1);
    EXPECT_EQ(browser.count(), 1);
}
