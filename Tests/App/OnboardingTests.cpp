#include "CorvaneApp/Onboarding.hpp"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace corvane;

namespace {

struct OnboardingFixture : ::testing::Test {
    QTemporaryDir config;
    QString folder = config.path() + "/autostart";
    Onboarding* onboarding = new Onboarding(nullptr, std::make_unique<LoginItem>(folder, "/usr/bin/corvane"));
    QDialog sheet;
    int done = 0;

    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(onboarding);
        QObject::connect(onboarding, &Onboarding::done, &sheet, [this] { ++done; });
    }
};

} // namespace

TEST_F(OnboardingFixture, GetStartedUntickedRegistersNothingAndFinishesOnce)
{
    onboarding->getStartedButton()->click();
    onboarding->getStartedButton()->click();
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(LoginItem(folder, "x").isEnabled());
}

TEST_F(OnboardingFixture, GetStartedTickedRegistersThenFinishesEvenWhenThatFails)
{
    onboarding->startAtLoginBox()->setChecked(true);
    onboarding->getStartedButton()->click();
    EXPECT_EQ(done, 1);
    EXPECT_TRUE(LoginItem(folder, "x").isEnabled());

    QTemporaryDir other;
    QFile blocker(other.path() + "/autostart");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    Onboarding failing(nullptr, std::make_unique<LoginItem>(other.path() + "/autostart", "/usr/bin/corvane"));
    int finished = 0;
    QObject::connect(&failing, &Onboarding::done, [&] { ++finished; });
    failing.startAtLoginBox()->setChecked(true);
    failing.getStartedButton()->click();
    EXPECT_EQ(finished, 1);
}

TEST_F(OnboardingFixture, ReturnPressesGetStarted)
{
    sheet.open();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&sheet, &press);
    EXPECT_EQ(done, 1);
}
