#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace corvane::test {

// The window that has the keyboard, once the window system has told the app which it is
// (activation arrives as an event, as it does from a window manager).
inline QWidget* keyboardWindow()
{
    // One round of the event loop may run only the sources that are due first (a timer of
    // an earlier test) and leave the window system's events for the next.
    for (int round = 0; round < 3; ++round)
        QCoreApplication::processEvents();
    return QApplication::activeWindow();
}

// Presses a key as a person at the keyboard does: it goes to the widget with the keyboard
// focus, else to the active window. False when no window has the keyboard, so the key
// reached nothing.
inline bool press(Qt::Key key)
{
    keyboardWindow();
    QWidget* target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    if (!target)
        return false;
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
    return true;
}

} // namespace corvane::test
