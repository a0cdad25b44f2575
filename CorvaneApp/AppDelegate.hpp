#pragma once

#include <QPalette>

class QApplication;

namespace corvane {

// What the application itself is told at start-up: its name and icon, the dark Fusion
// look, and that closing the last window leaves it running (the tray and a second
// launch bring the window back).
class AppDelegate {
public:
    explicit AppDelegate(QApplication& application);

    // The application-wide dark palette; the main window paints its own colours over it.
    static QPalette darkPalette();

    // The look without the lifetime rules, for tools that render views offscreen.
    static void applyLook(QApplication& application);
};

} // namespace corvane
