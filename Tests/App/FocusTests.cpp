#include "CorvaneApp/MenuBarView.hpp"
#include "CorvaneApp/Onboarding.hpp"
#include "CorvaneApp/ProcessList.hpp"
#include "CorvaneApp/ProcessesView.hpp"
#include "CorvaneApp/UsageView.hpp"
#include "Tests/App/Support/AppHarness.hpp"
#include "Tests/App/Support/Keyboard.hpp"
#include "Tests/App/Support/Pixels.hpp"

#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr int margin = 4;

// The window's pixels over a control and `margin` around it, as drawn now.
QImage around(QWidget* control)
{
    QWidget* window = control->window();
    const QRect area(control->mapTo(window, QPoint(0, 0)), control->size());
    return window->grab(area.adjusted(-margin, -margin, margin, margin)).toImage();
}

// How many pixels the keyboard's arrival turned into a clearly different colour.
int changed(const QImage& before, const QImage& after)
{
    int count = 0;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x)
            count += contrast(before.pixelColor(x, y), after.pixelColor(x, y)) >= 3 ? 1 : 0;
    }
    return count;
}

// A framed control's ring: at the middle of each edge, just inside it, the focused colour
// stands out from the surface just outside it. The weakest of the four.
double ringAgainstSurface(const QImage& focused, QSize control)
{
    const int left = margin, top = margin, right = margin + control.width() - 1, bottom = margin + control.height() - 1;
    const int midX = margin + control.width() / 2, midY = margin + control.height() / 2;
    const std::vector<std::pair<QPoint, QPoint>> edges{
        {{left, midY}, {left - 3, midY}},
        {{right, midY}, {right + 3, midY}},
        {{midX, top}, {midX, top - 3}},
        {{midX, bottom}, {midX, bottom + 3}},
    };
    double weakest = 1e9;
    for (const auto& [inside, outside] : edges)
        weakest = std::min(weakest, contrast(focused.pixelColor(inside), focused.pixelColor(outside)));
    return weakest;
}

// Puts the focus on `control` in its active window, by the keyboard (as after a press of
// Tab, which the window remembers) or otherwise (as when a window opens).
void giveFocus(QWidget* control, bool byKeyboard)
{
    QWidget* window = control->window();
    window->show();
    window->activateWindow();
    keyboardWindow();
    control->clearFocus();
    window->setAttribute(Qt::WA_KeyboardFocusChange, byKeyboard);
    control->setFocus(byKeyboard ? Qt::TabFocusReason : Qt::ActiveWindowFocusReason);
}

} // namespace

// Tab onto onboarding's "Get started", the sheet's default button: it is drawn with a ring
// that stands out from the button as it was and from the card around it, and Return still
// presses it once the keyboard has moved on.
TEST(FocusMark, TabOntoGetStartedRingsItAndItStaysTheDefault)
{
    AppPalette look;
    AppHarness h;
    QDialog sheet;
    auto* onboarding = new Onboarding(h.startAtLogin);
    auto* layout = new QVBoxLayout(&sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(onboarding);
    int done = 0;
    QObject::connect(onboarding, &Onboarding::done, [&] { ++done; });
    sheet.open();
    sheet.activateWindow();
    ASSERT_EQ(keyboardWindow(), &sheet);

    QPushButton* getStarted = onboarding->getStartedButton();
    const QImage before = around(getStarted);
    for (int presses = 0; presses < 4 && QApplication::focusWidget() != getStarted; ++presses)
        ASSERT_TRUE(press(Qt::Key_Tab));
    ASSERT_EQ(QApplication::focusWidget(), getStarted);
    const QImage after = around(getStarted);
    EXPECT_GE(changed(before, after), getStarted->width()) << "the ring is drawn";
    EXPECT_GE(ringAgainstSurface(after, getStarted->size()), 3.0) << "the ring stands out from the card";
    EXPECT_EQ(before.size(), after.size());

    // On to the box: the button's ring goes, the box shows the keyboard instead, ticked too.
    ASSERT_TRUE(press(Qt::Key_Tab));
    ASSERT_EQ(QApplication::focusWidget(), onboarding->startAtLoginBox());
    EXPECT_EQ(changed(before, around(getStarted)), 0);
    onboarding->startAtLoginBox()->setChecked(true);
    const QImage boxFocused = around(onboarding->startAtLoginBox());
    onboarding->startAtLoginBox()->clearFocus();
    EXPECT_GE(changed(around(onboarding->startAtLoginBox()), boxFocused), onboarding->startAtLoginBox()->width() / 2);

    ASSERT_TRUE(press(Qt::Key_Return));
    EXPECT_EQ(done, 1) << "Return presses the default button wherever the keyboard is";
}

// The other kinds of focusable control show the keyboard too: the quiet button in its
// ring, a link by its underline, a segment of a picker in its ring, a text field by the
// ring of the box it sits in, a list's row in its ring. A focus that did not come from the
// keyboard, as when a window opens, leaves no mark.
TEST(FocusMark, EveryKindOfControlShowsTheKeyboard)
{
    AppPalette look;
    AppHarness h;
    h.monitor.setGroups({testGroup("app0", 12.0, 1 << 20), testGroup("app1", 4.0, 1 << 20)});
    MenuBarView popover(h.env);
    popover.popUp(QRect(500, 0, 22, 22));
    UsageView usage(h.env);
    usage.resize(1000, 700);
    ProcessesView processes(h.env);
    processes.resize(1000, 700);
    processes.show();
    QApplication::processEvents();
    ExpandableRow* row = processes.row(processes.listed().front().group.id);
    ASSERT_NE(row, nullptr);
    struct Case {
        const char* name;
        QWidget* control;
        bool framed;
        // Where the mark is drawn, when not on the control itself.
        QWidget* frame = nullptr;
    };
    const std::vector<Case> cases{
        {"popover's Open Corvane", popover.openButton(), true},
        {"popover's Quit Corvane", popover.quitButton(), false},
        {"usage range", usage.findChild<QPushButton*>(QStringLiteral("range-168")), false},
        {"process search", processes.searchField(), true, processes.searchField()->parentWidget()},
        {"process sort", processes.sortButton(true), true},
        {"verdict chip", processes.chips()[1], true},
        {"selected verdict chip", processes.chips()[0], true},
        // A row's bottom edge is the divider to the next row, drawn over its ring.
        {"process row", row->button(), false},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.control, nullptr) << c.name;
        QWidget* shown = c.frame != nullptr ? c.frame : c.control;
        giveFocus(c.control, false);
        ASSERT_TRUE(c.control->hasFocus()) << c.name;
        const QImage before = around(shown);
        giveFocus(c.control, true);
        ASSERT_TRUE(c.control->hasFocus()) << c.name;
        const QImage after = around(shown);
        EXPECT_GE(changed(before, after), shown->width() / 2) << c.name;
        if (c.framed) {
            EXPECT_GE(ringAgainstSurface(after, shown->size()), 3.0) << c.name;
        }
    }
}

// The Processes list is no blank stop of its own: Tab from the last verdict chip goes
// straight to the first row in view, and back again.
TEST(FocusMark, TabPassesTheProcessListOnToItsRows)
{
    AppPalette look;
    AppHarness h;
    h.monitor.setGroups({testGroup("app0", 12.0, 1 << 20), testGroup("app1", 4.0, 1 << 20)});
    ProcessesView processes(h.env);
    processes.resize(1000, 700);
    QPushButton* lastChip = processes.chips().back();
    giveFocus(lastChip, true);
    QApplication::processEvents();
    ASSERT_TRUE(press(Qt::Key_Tab));
    const ExpandableRow* first = processes.row(processes.listed().front().group.id);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), first->button());
    ASSERT_TRUE(press(Qt::Key_Backtab));
    EXPECT_EQ(QApplication::focusWidget(), lastChip);
}
