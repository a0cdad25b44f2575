#include "CorvaneApp/AppDelegate.hpp"
#include "CorvaneApp/BrowserPanel.hpp"
#include "CorvaneApp/MenuBarView.hpp"
#include "CorvaneApp/Onboarding.hpp"
#include "CorvaneApp/Platform/AppUpdater.hpp"
#include "CorvaneApp/Platform/LoginItem.hpp"
#include "CorvaneApp/SettingsView.hpp"
#include "Core/OSAScriptRunner.hpp"
#include "Tests/App/Support/AppHarness.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QStyle>
#include <QStyleOptionButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace corvane;
using namespace corvane::test;

namespace {

// Relative luminance and contrast ratio as the accessibility guidelines define them.
double luminance(const QColor& colour)
{
    auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double contrast(const QColor& a, const QColor& b)
{
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// A check box as its window draws it: the window's pixels and where the box's indicator is.
struct Drawn {
    explicit Drawn(QCheckBox* box)
    {
        QWidget* window = box->window();
        window->show();
        image = window->grab().toImage();
        QStyleOptionButton option;
        option.initFrom(box);
        indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        indicator.translate(box->mapTo(window, QPoint(0, 0)));
    }

    QColor at(int x, int y) const { return image.pixelColor(x, y); }
    QColor background() const { return at(indicator.left() - 3, indicator.center().y()); }

    // How well the outline stands out from the background beside it: the weakest of the four
    // sides, each taken at its middle where the edge is straight.
    double outline() const
    {
        const QColor around = background();
        const QPoint middle = indicator.center();
        double weakest = 1e9;
        for (const auto& [from, step] : {std::pair{QPoint(indicator.left(), middle.y()), QPoint(1, 0)},
                                         std::pair{QPoint(indicator.right(), middle.y()), QPoint(-1, 0)},
                                         std::pair{QPoint(middle.x(), indicator.top()), QPoint(0, 1)},
                                         std::pair{QPoint(middle.x(), indicator.bottom()), QPoint(0, -1)}}) {
            double strongest = 1;
            for (int i = 0; i < 2; ++i) {
                const QPoint p = from + step * i;
                strongest = std::max(strongest, contrast(at(p.x(), p.y()), around));
            }
            weakest = std::min(weakest, strongest);
        }
        return weakest;
    }

    // The share of the indicator's inside that stands out from the background (a fill).
    double filled() const
    {
        const QColor around = background();
        const QRect inside = indicator.adjusted(2, 2, -2, -2);
        int standing = 0;
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                standing += contrast(at(x, y), around) >= 3 ? 1 : 0;
        return double(standing) / (inside.width() * inside.height());
    }

    // Whether a mark inside stands out from the fill around it.
    bool marked() const
    {
        const QColor fill = at(indicator.left() + 3, indicator.top() + 3);
        const QRect inside = indicator.adjusted(2, 2, -2, -2);
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                if (contrast(at(x, y), fill) >= 3)
                    return true;
        return false;
    }

    QImage image;
    QRect indicator;
};

// The app's own palette while a test draws, as the app sets it at start-up.
struct AppPalette {
    AppPalette() { QApplication::setPalette(AppDelegate::darkPalette()); }
    ~AppPalette() { QApplication::setPalette(saved); }
    QPalette saved = QApplication::palette();
};

// Unticked, the box's outline stands out from its background; ticked, it is filled and
// carries a mark that stands out from the fill.
void expectVisible(QCheckBox* box, const char* where)
{
    box->setChecked(false);
    const Drawn unticked(box);
    EXPECT_GE(unticked.outline(), 3.0) << where;
    EXPECT_LT(unticked.filled(), 0.5) << where;
    box->setChecked(true);
    const Drawn ticked(box);
    EXPECT_GT(ticked.filled(), 0.5) << where;
    EXPECT_TRUE(ticked.marked()) << where;
}

} // namespace

TEST(CheckBox, EveryBoxHasAVisibleOutlineAndTickedState)
{
    AppPalette look;
    AppHarness h;
    {
        LoginItem loginItem(h.harness.folder.filePath(QStringLiteral("autostart")), QStringLiteral("/usr/bin/corvane"));
        MenuBarView popover(h.env, loginItem);
        popover.popUp(QRect(500, 0, 22, 22));
        expectVisible(popover.startAtLogin(), "tray popover");
    }
    {
        AppUpdater updater;
        LoginItem loginItem(h.harness.folder.filePath(QStringLiteral("autostart")), QStringLiteral("/usr/bin/corvane"));
        SettingsView settings(updater, h.env, loginItem);
        expectVisible(settings.startAtLoginBox(), "Settings");
        expectVisible(settings.keepHistoryBox(), "Settings");
    }
    {
        Onboarding onboarding(nullptr, std::make_unique<LoginItem>(h.harness.folder.filePath(QStringLiteral("autostart")),
                                                                   QStringLiteral("/usr/bin/corvane")));
        expectVisible(onboarding.startAtLoginBox(), "onboarding");
    }
}

TEST(CheckBox, BrowserPanelBoxesShowWhichTabsCanBePicked)
{
    AppPalette look;
    AppHarness h;
    h.harness.settings->setAutomationPrimer("com.google.Chrome", true);
    class Listing final : public ScriptRunner {
        std::string run(const std::string&) override
        {
            return "W\x1F" "1\x1F" "normal\x1F" "1\x1F" "Work\x1E"
                   "T\x1F" "1\x1F" "11\x1F" "Mail\x1F" "https://mail.example/\x1E"
                   "W\x1F" "2\x1F" "incognito\x1F" "1\x1F" "Private\x1E"
                   "T\x1F" "2\x1F" "21\x1F" "Secret\x1F" "https://secret.example/\x1E";
        }
    };
    BrowserPanelServices services;
    services.controller = std::make_shared<BrowserController>(std::make_shared<Listing>(),
                                                              [](const std::string&) { return true; });
    services.installedApp = [](const std::string&) { return std::optional<std::string>(); };
    BrowserPanel panel(ChromiumBrowser::chrome, h.env, services);
    h.harness.executor.runAll();
    QCheckBox* normal = panel.windowSection("1")->row("1/11")->checkBox();
    QCheckBox* incognito = panel.windowSection("2")->row("2/21")->checkBox();
    ASSERT_FALSE(incognito->isEnabled());

    expectVisible(normal, "browser panel");
    normal->setChecked(false);
    const double enabled = Drawn(normal).outline();
    const double disabled = Drawn(incognito).outline();
    EXPECT_LT(disabled, 2.0) << "a box that cannot be ticked looks disabled";
    EXPECT_LT(disabled, enabled);
}
