#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

namespace corvane {

// A connection to an X display with its EWMH atoms, released together.
class X11Connection {
public:
    // `display` as $DISPLAY writes it; nullptr for $DISPLAY itself.
    explicit X11Connection(const char* display);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // Connected, with its atoms, to a server that has the screen the display names.
    bool ready() const { return ready_; }
    xcb_connection_t* get() const { return connection_; }
    xcb_ewmh_connection_t* ewmh() { return &ewmh_; }
    int screen() const { return screen_; }
    xcb_window_t root() const { return ewmh_.screens[screen_]->root; }

private:
    xcb_connection_t* connection_;
    xcb_ewmh_connection_t ewmh_{};
    int screen_ = 0;
    bool atoms_ = false;
    bool ready_ = false;
};

} // namespace corvane
