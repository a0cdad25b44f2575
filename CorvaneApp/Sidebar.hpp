#pragma once

#include "CorvaneApp/Screen.hpp"

#include <QAbstractButton>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;

namespace corvane {

class Monitor;
struct ViewEnvironment;

// One navigation row: the screen's symbol, its title and, where it has one, a count badge.
class SidebarRow : public QAbstractButton {
    Q_OBJECT
public:
    SidebarRow(Screen screen, QWidget* parent = nullptr);

    void setState(bool selected, std::optional<int> count);

    bool isSelected() const { return selected_; }
    // The badge's text, empty while no badge shows.
    QString badge() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showSelection();

    QLabel* symbol_;
    QLabel* title_;
    QLabel* badge_;
    bool selected_ = false;
};

// The left column of the main window: the app's mark, a row per screen and a note that
// everything stays on this computer. A row's click selects its screen.
class Sidebar : public QWidget {
    Q_OBJECT
public:
    explicit Sidebar(ViewEnvironment& environment, QWidget* parent = nullptr);

    // The badge number of a screen's row: the app groups for Processes, the background
    // items for Background Items; nothing for other screens or an empty list.
    static std::optional<int> count(Screen screen, const Monitor& monitor);

    // 230, or what the longest title and a badge, or the footer note, need in the system's font.
    static int columnWidth();

    SidebarRow* row(Screen screen) const { return rows_[static_cast<std::size_t>(screen)]; }

private:
    void refresh();

    ViewEnvironment& environment_;
    std::array<SidebarRow*, allCases<Screen>().size()> rows_{};
};

} // namespace corvane
