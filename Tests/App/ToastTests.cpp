#include "CorvaneApp/Toast.hpp"
#include "Tests/App/Support/AppHarness.hpp"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

struct ToastFixture : ::testing::Test {
    test::AppHarness shell;
    QWidget window;
    ToastView* toast = new ToastView(shell.env, &window);
    int notifications = 0;

    void SetUp() override
    {
        QObject::connect(&shell.actions, &FixActions::toastChanged, &window, [this] { ++notifications; });
    }
};

} // namespace

TEST_F(ToastFixture, ShowsAtOnceAndClearsFourSecondsAfterEachNewText)
{
    window.show();
    EXPECT_FALSE(toast->isVisible());
    shell.actions.setToast("Done");
    EXPECT_TRUE(toast->isVisible());
    EXPECT_EQ(toast->text(), "Done");
    EXPECT_GT(toast->sizeHint().height(), 24);

    shell.harness.scheduler.advance(3.9);
    EXPECT_EQ(shell.actions.toast(), "Done");
    // Storing the same text again starts no new wait.
    shell.actions.setToast("Done");
    shell.harness.scheduler.advance(0.1);
    EXPECT_FALSE(shell.actions.toast());
    EXPECT_EQ(toast->text(), "");
    EXPECT_EQ(notifications, 2);
    EXPECT_EQ(shell.harness.scheduler.pending(), 0u);

    // A new text gets its own four seconds.
    shell.actions.setToast("Done");
    shell.harness.scheduler.advance(3);
    shell.actions.setToast("Cancelled");
    shell.harness.scheduler.advance(3);
    EXPECT_EQ(shell.actions.toast(), "Cancelled");
    shell.harness.scheduler.advance(1);
    EXPECT_FALSE(shell.actions.toast());
}

TEST_F(ToastFixture, WaitsForTheWindowBeforeCounting)
{
    // A toast stored while the window is away stays until the window has shown it for 4 seconds.
    shell.actions.setToast("Couldn't finish: timed out");
    shell.harness.scheduler.advance(10);
    EXPECT_EQ(shell.actions.toast(), "Couldn't finish: timed out");

    window.show();
    EXPECT_TRUE(toast->isVisible());
    shell.harness.scheduler.advance(2);
    window.hide();
    shell.harness.scheduler.advance(10);
    EXPECT_TRUE(shell.actions.toast());

    window.show();
    shell.harness.scheduler.advance(3.9);
    EXPECT_TRUE(shell.actions.toast());
    shell.harness.scheduler.advance(0.1);
    EXPECT_FALSE(shell.actions.toast());
}

TEST_F(ToastFixture, NeverClearsAfterItIsGone)
{
    window.show();
    shell.actions.setToast("Done");
    delete toast;
    shell.harness.scheduler.advance(5);
    EXPECT_EQ(shell.actions.toast(), "Done");
}
