#include "Platform/X11Windows.hpp"

#include "Core/Text.hpp"
#include "Platform/ProcFS.hpp"

#include <memory>
#include <optional>
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

// The property requests for one client window.
struct Requests {
    xcb_get_property_cookie_t pid;
    xcb_get_property_cookie_t state;
    xcb_get_property_cookie_t desktop;
};

// A window sits on another virtual desktop when it names one that is not the current
// one; "all desktops" and windows or managers that do not say are taken as on screen.
bool isOnOtherDesktop(xcb_ewmh_connection_t* ewmh, xcb_get_property_cookie_t cookie,
                      std::optional<uint32_t> currentDesktop)
{
    constexpr uint32_t allDesktops = 0xFFFFFFFF;
    uint32_t desktop = 0;
    if (xcb_ewmh_get_wm_desktop_reply(ewmh, cookie, &desktop, nullptr) != 1)
        return false;
    return currentDesktop && desktop != allDesktops && desktop != *currentDesktop;
}

WindowDescription describe(xcb_ewmh_connection_t* ewmh, const Requests& requests,
                           std::optional<uint32_t> currentDesktop)
{
    // Every reply is taken, so none is left waiting on the connection.
    const bool hidden = isHidden(ewmh, requests.state);
    const bool elsewhere = isOnOtherDesktop(ewmh, requests.desktop, currentDesktop);
    uint32_t pid = 0;
    const bool hasPID = xcb_ewmh_get_wm_pid_reply(ewmh, requests.pid, &pid, nullptr) == 1;

    WindowDescription window{
        {std::string(WindowCensus::layerKey), int64_t{0}},
        {std::string(WindowCensus::onscreenKey), !hidden && !elsewhere},
    };
    if (!hasPID || pid == 0 || pid > INT32_MAX)
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
    // The screen number comes from $DISPLAY and need not exist on the server.
    if (!ewmh.ready() || screen < 0 || screen >= ewmh.get()->nb_screens)
        return {};
    xcb_ewmh_get_windows_reply_t clients;
    if (xcb_ewmh_get_client_list_reply(ewmh.get(), xcb_ewmh_get_client_list(ewmh.get(), screen), &clients, nullptr)
        != 1)
        return {};

    // Ask for every window's properties before reading any answer, so the round
    // trips overlap.
    const auto desktopCookie = xcb_ewmh_get_current_desktop(ewmh.get(), screen);
    std::vector<Requests> requests;
    requests.reserve(clients.windows_len);
    for (uint32_t i = 0; i < clients.windows_len; ++i) {
        const xcb_window_t id = clients.windows[i];
        requests.push_back({xcb_ewmh_get_wm_pid(ewmh.get(), id), xcb_ewmh_get_wm_state(ewmh.get(), id),
                            xcb_ewmh_get_wm_desktop(ewmh.get(), id)});
    }
    xcb_ewmh_get_windows_reply_wipe(&clients);

    std::optional<uint32_t> currentDesktop;
    if (uint32_t desktop = 0; xcb_ewmh_get_current_desktop_reply(ewmh.get(), desktopCookie, &desktop, nullptr) == 1)
        currentDesktop = desktop;
    std::vector<WindowDescription> windows;
    windows.reserve(requests.size());
    for (const auto& request : requests)
        windows.push_back(describe(ewmh.get(), request, currentDesktop));
    return windows;
}

} // namespace corvane::X11Windows
