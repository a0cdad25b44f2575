#include "CorvaneApp/BrowserPanel.hpp"
#include "CorvaneApp/MenuBarView.hpp"
#include "CorvaneApp/Onboarding.hpp"
#include "CorvaneApp/Platform/AppUpdater.hpp"
#include "CorvaneApp/SettingsView.hpp"
#include "Core/OSAScriptRunner.hpp"
#include "Tests/App/Support/AppHarness.hpp"
#include "Tests/App/Support/Pixels.hpp"

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

    QColor at(QPoint p) const { return image.pixelColor(p); }
    QColor background() const { return at({indicator.left() - 3, indicator.center().y()}); }

    // How well the outline stands out from the background beside it: the weakest of the four
    // sides, each taken at its middle where the edge is straight.
    double outline() const
    {
        const QPoint middle = indicator.center();
        double weakest = 1e9;
        for (const QPoint edge : {QPoint(indicator.left(), middle.y()), QPoint(indicator.right(), middle.y()),
                                  QPoint(middle.x(), indicator.top()), QPoint(middle.x(), indicator.bottom())})
            weakest = std::min(weakest, contrast(at(edge), background()));
        return weakest;
    }

    // The share of the inside that stands out from the background (a fill), and whether a
    // mark on it stands out from that fill.
    std::pair<double, bool> inside() const
    {
        const QRect area = indicator.adjusted(2, 2, -2, -2);
        const QColor fill = at(area.topLeft() + QPoint(1, 1));
        int standing = 0;
        bool marked = false;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                standing += contrast(at({x, y}), background()) >= 3 ? 1 : 0;
                marked = marked || contrast(at({x, y}), fill) >= 3;
            }
        }
        return {double(standing) / (area.width() * area.height()), marked};
    }

    QImage image;
    QRect indicator;
};

// Unticked, the box's outline stands out from its background; ticked, it is filled and
// carries a mark that stands out from the fill.
void expectVisible(QCheckBox* box, const char* where)
{
    box->setChecked(false);
    const Drawn unticked(box);
    EXPECT_GE(unticked.outline(), 3.0) << where;
    EXPECT_LT(unticked.inside().first, 0.5) << where;
    box->setChecked(true);
    const auto [filled, marked] = Drawn(box).inside();
    EXPECT_GT(filled, 0.5) << where;
    EXPECT_TRUE(marked) << where;
}

} // namespace

TEST(CheckBox, EveryBoxHasAVisibleOutlineAndTickedState)
{
    AppPalette look;
    AppHarness h;
    {
        MenuBarView popover(h.env);
        popover.popUp(QRect(500, 0, 22, 22));
        expectVisible(popover.startAtLogin(), "tray popover");
    }
    {
        AppUpdater updater;
        SettingsView settings(updater, h.env);
        expectVisible(settings.startAtLoginBox(), "Settings");
        expectVisible(settings.keepHistoryBox(), "Settings");
    }
    {
        Onboarding onboarding(h.startAtLogin);
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
