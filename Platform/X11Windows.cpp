#include "Platform/X11Windows.hpp"

#include "Core/Text.hpp"
#include "Platform/ProcFS.hpp"

#include <memory>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

namespace corvane::X11Windows {

namespace {

struct Disconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

// The EWMH atoms of one connection, released with it.
class Ewmh {
public:
    explicit Ewmh(xcb_connection_t* connection)
    {
        ready_ = xcb_ewmh_init_atoms_replies(&ewmh_, xcb_ewmh_init_atoms(connection, &ewmh_), nullptr) == 1;
    }
    ~Ewmh()
    {
        // A failed initialisation has already released its own memory.
        if (ready_)
            xcb_ewmh_connection_wipe(&ewmh_);
    }
    Ewmh(const Ewmh&) = delete;
    Ewmh& operator=(const Ewmh&) = delete;

    bool ready() const { return ready_; }
    xcb_ewmh_connection_t* get() { return &ewmh_; }

private:
    xcb_ewmh_connection_t ewmh_{};
    bool ready_ = false;
};

bool isHidden(xcb_ewmh_connection_t* ewmh, xcb_get_property_cookie_t cookie)
{
    xcb_ewmh_get_atoms_reply_t state;
    if (xcb_ewmh_get_wm_state_reply(ewmh, cookie, &state, nullptr) != 1)
        return false;
    bool hidden = false;
    for (uint32_t i = 0; i < state.atoms_len; ++i)
        hidden = hidden || state.atoms[i] == ewmh->_NET_WM_STATE_HIDDEN;
    xcb_ewmh_get_atoms_reply_wipe(&state);
    return hidden;
}

WindowDescription describe(xcb_ewmh_connection_t* ewmh, xcb_get_property_cookie_t pidCookie,
                           xcb_get_property_cookie_t stateCookie)
{
    WindowDescription window{
        {std::string(WindowCensus::layerKey), int64_t{0}},
        {std::string(WindowCensus::onscreenKey), !isHidden(ewmh, stateCookie)},
    };
    uint32_t pid = 0;
    if (xcb_ewmh_get_wm_pid_reply(ewmh, pidCookie, &pid, nullptr) != 1 || pid == 0 || pid > INT32_MAX)
        return window;
    const auto path = ProcFS::executablePath("/proc", static_cast<int32_t>(pid));
    if (!path)
        return window;
    window.emplace(std::string(WindowCensus::ownerPIDKey), int64_t{pid});
    window.emplace(std::string(WindowCensus::ownerNameKey), Text::lastPathComponent(*path));
    return window;
}

} // namespace

std::vector<WindowDescription> clientWindows()
{
    int screen = 0;
    const std::unique_ptr<xcb_connection_t, Disconnect> connection(xcb_connect(nullptr, &screen));
    if (xcb_connection_has_error(connection.get()))
        return {};
    Ewmh ewmh(connection.get());
    if (!ewmh.ready())
        return {};
    xcb_ewmh_get_windows_reply_t clients;
    if (xcb_ewmh_get_client_list_reply(ewmh.get(), xcb_ewmh_get_client_list(ewmh.get(), screen), &clients, nullptr)
        != 1)
        return {};

    // Ask for every window's properties before reading any answer, so the round
    // trips overlap.
    std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> cookies;
    cookies.reserve(clients.windows_len);
    for (uint32_t i = 0; i < clients.windows_len; ++i)
        cookies.emplace_back(xcb_ewmh_get_wm_pid(ewmh.get(), clients.windows[i]),
                             xcb_ewmh_get_wm_state(ewmh.get(), clients.windows[i]));
    xcb_ewmh_get_windows_reply_wipe(&clients);

    std::vector<WindowDescription> windows;
    windows.reserve(cookies.size());
    for (const auto& [pidCookie, stateCookie] : cookies)
        windows.push_back(describe(ewmh.get(), pidCookie, stateCookie));
    return windows;
}

} // namespace corvane::X11Windows
