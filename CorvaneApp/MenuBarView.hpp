#pragma once

#include "CorvaneApp/MenuBarModel.hpp"
#include "CorvaneApp/Scheduler.hpp"

#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QPushButton;

namespace corvane {

class ElidedLabel;
class StatusPill;
struct ViewEnvironment;

// The tray popover: the status, when the last check ran, the most important finding with
// its fix, the three busiest apps, a way to the main window, the login switch and quitting.
// A frameless popup that closes on a click outside it.
class MenuBarView : public QWidget {
    Q_OBJECT
public:
    explicit MenuBarView(ViewEnvironment& environment, QWidget* parent = nullptr);

    // Shows the popover next to `anchor` (the tray icon, or the cursor as a 1x1 rectangle).
    void popUp(const QRect& anchor);

    // Where a popover of `size` goes: below the anchor when it fits, else above it,
    // centred on it, and always inside `available`.
    static QPoint placement(const QRect& anchor, const QSize& size, const QRect& available);

    // What tests and the screenshot tool read.
    StatusPill* statusPill() const { return pill_; }
    QLabel* liveDot() const { return liveDot_; }
    QLabel* headline() const { return headline_; }
    QStringList rows() const;
    QPushButton* heroButton() const { return hero_; }
    QPushButton* openButton() const { return open_; }
    QCheckBox* startAtLogin() const { return startAtLogin_; }
    QPushButton* quitButton() const { return quit_; }

Q_SIGNALS:
    // The main window should come forward.
    void openWindowRequested();
    void quitRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct AppRow {
        QWidget* row;
        ElidedLabel* name;  // one line, cut short so a long name never widens the popover
        QLabel* cpu;
    };

    void refresh();
    void fitContent();
    void setHeroTitle(const QString& title);
    void redrawLiveDot();
    void scheduleLiveDot();
    void performHeroFix();
    void setStartAtLogin(bool on);

    ViewEnvironment& environment_;
    MenuBarModel model_;
    Scheduler::Token liveDotTimer_ = 0;
    QRect anchor_;

    StatusPill* pill_;
    QLabel* liveDot_;
    QLabel* headline_;
    std::array<AppRow, 3> rows_{};
    QPushButton* hero_;
    QPushButton* open_;
    QCheckBox* startAtLogin_;
    QPushButton* quit_;
};

} // namespace corvane
