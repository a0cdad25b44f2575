#include "Platform/X11Windows.hpp"

#include "Core/Text.hpp"
#include "Platform/ProcFS.hpp"
#include "Platform/X11Connection.hpp"

#include <optional>

namespace corvane::X11Windows {

namespace {

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
    X11Connection connection(nullptr);
    if (!connection.ready())
        return {};
    xcb_ewmh_connection_t* ewmh = connection.ewmh();
    const int screen = connection.screen();
    xcb_ewmh_get_windows_reply_t clients;
    if (xcb_ewmh_get_client_list_reply(ewmh, xcb_ewmh_get_client_list(ewmh, screen), &clients, nullptr) != 1)
        return {};

    // Ask for every window's properties before reading any answer, so the round
    // trips overlap.
    const auto desktopCookie = xcb_ewmh_get_current_desktop(ewmh, screen);
    std::vector<Requests> requests;
    requests.reserve(clients.windows_len);
    for (uint32_t i = 0; i < clients.windows_len; ++i) {
        const xcb_window_t id = clients.windows[i];
        requests.push_back({xcb_ewmh_get_wm_pid(ewmh, id), xcb_ewmh_get_wm_state(ewmh, id),
                            xcb_ewmh_get_wm_desktop(ewmh, id)});
    }
    xcb_ewmh_get_windows_reply_wipe(&clients);

    std::optional<uint32_t> currentDesktop;
    if (uint32_t desktop = 0; xcb_ewmh_get_current_desktop_reply(ewmh, desktopCookie, &desktop, nullptr) == 1)
        currentDesktop = desktop;
    std::vector<WindowDescription> windows;
    windows.reserve(requests.size());
    for (const auto& request : requests)
        windows.push_back(describe(ewmh, request, currentDesktop));
    return windows;
}

} // namespace corvane::X11Windows
