#include "Tests/Support/PrivateSession.hpp"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <poll.h>
#include <stdexcept>
#include <xcb/xcb.h>

namespace corvane::test {
namespace {

struct Free {
    void operator()(void* reply) const { std::free(reply); }
};

// The windows a property names.
std::vector<xcb_window_t> windows(xcb_connection_t* connection, xcb_window_t of, xcb_atom_t property)
{
    const std::unique_ptr<xcb_get_property_reply_t, Free> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, of, property, XCB_ATOM_WINDOW, 0, 1024), nullptr));
    if (!reply)
        return {};
    const auto* first = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    return std::vector<xcb_window_t>(first, first + xcb_get_property_value_length(reply.get()) / 4);
}

xcb_atom_t atom(xcb_connection_t* connection, std::string_view name)
{
    const std::unique_ptr<xcb_intern_atom_reply_t, Free> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_NONE};
}

// Whether `done` comes to hold of the display's root window within a generous bound,
// asked again each time a property of the root changes.
bool rootBecomes(const std::string& display, const std::function<bool(xcb_connection_t*, xcb_window_t)>& done)
{
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> owner(connection, xcb_disconnect);
    if (xcb_connection_has_error(connection))
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &events);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done(connection, root)) {
        pollfd watch{xcb_get_file_descriptor(connection), POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ::poll(&watch, 1, static_cast<int>(left.count())) <= 0)
            return false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection))
            std::free(event);
    }
    return true;
}

} // namespace

PrivateSession::PrivateSession(bool windowManager)
{
    unavailable_ = startServer();
    if (unavailable_.empty())
        unavailable_ = startBus();
    if (unavailable_.empty() && windowManager)
        unavailable_ = startManager();
}

std::vector<std::string> PrivateSession::environment() const
{
    return {"DISPLAY=" + display_, "DBUS_SESSION_BUS_ADDRESS=" + busAddress_};
}

std::string PrivateSession::startServer()
{
    try {
        server_ = std::make_unique<ProcessTree>();
        // The server picks a free display and writes its number once it takes clients.
        server_->start({"Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "800x600x24"});
    } catch (const std::runtime_error&) {
        return "no X server: Xvfb cannot be started (./scripts/install-deps.sh installs it)";
    }
    const auto number = server_->line();
    if (number.empty())
        return "the X server (Xvfb) did not start";
    display_ = ":" + number;
    return {};
}

std::string PrivateSession::startBus()
{
    try {
        bus_ = std::make_unique<ProcessTree>();
        bus_->start({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"});
    } catch (const std::runtime_error&) {
        return "no session bus: dbus-daemon cannot be started";
    }
    busAddress_ = bus_->line();
    return busAddress_.empty() ? "the session bus (dbus-daemon) did not start" : "";
}

std::string PrivateSession::startManager()
{
    try {
        manager_ = std::make_unique<ProcessTree>(std::vector<std::string>{"DISPLAY=" + display_});
        manager_->start({"openbox", "--sm-disable"});
    } catch (const std::runtime_error&) {
        return "no window manager: openbox cannot be started";
    }
    // A manager says it runs with a window that names itself on the root.
    const bool started = rootBecomes(display_, [](xcb_connection_t* connection, xcb_window_t root) {
        const xcb_atom_t check = atom(connection, "_NET_SUPPORTING_WM_CHECK");
        const auto named = windows(connection, root, check);
        return named.size() == 1 && windows(connection, named[0], check) == named;
    });
    return started ? "" : "the window manager (openbox) did not start";
}

bool PrivateSession::manages(std::size_t count) const
{
    return !manager_ || rootBecomes(display_, [count](xcb_connection_t* connection, xcb_window_t root) {
        return windows(connection, root, atom(connection, "_NET_CLIENT_LIST")).size() >= count;
    });
}

} // namespace corvane::test
