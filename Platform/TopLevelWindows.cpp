#include "Platform/TopLevelWindows.hpp"

#include "Platform/X11Connection.hpp"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>
#include <unistd.h>
#include <xcb/res.h>

namespace corvane {
namespace {

struct Free {
    void operator()(void* reply) const { std::free(reply); }
};

template <class T>
using Reply = std::unique_ptr<T, Free>;

using PropertyReply = Reply<xcb_get_property_reply_t>;

PropertyReply property(xcb_connection_t* connection, xcb_get_property_cookie_t cookie)
{
    return PropertyReply(xcb_get_property_reply(connection, cookie, nullptr));
}

xcb_get_property_cookie_t request(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name)
{
    return xcb_get_property(connection, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
}

// A property's text (format 8); empty when it has none.
std::string text(xcb_connection_t* connection, xcb_get_property_cookie_t cookie)
{
    const auto reply = property(connection, cookie);
    if (!reply || reply->format != 8)
        return {};
    std::string value(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    return value.substr(0, value.find('\0'));
}

// A property's 32-bit values (atoms, windows, cardinals); empty when it has none.
std::vector<uint32_t> values(xcb_connection_t* connection, xcb_get_property_cookie_t cookie)
{
    const auto reply = property(connection, cookie);
    if (!reply || reply->format != 32)
        return {};
    const auto* first = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<uint32_t>(first, first + xcb_get_property_value_length(reply.get()) / 4);
}

bool holds(const std::vector<uint32_t>& list, uint32_t value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

xcb_atom_t intern(xcb_connection_t* connection, xcb_intern_atom_cookie_t cookie)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

xcb_intern_atom_cookie_t internRequest(xcb_connection_t* connection, std::string_view name)
{
    return xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data());
}

bool tellsClientPids(xcb_connection_t* connection)
{
    const auto* extension = xcb_get_extension_data(connection, &xcb_res_id);
    if (extension == nullptr || !extension->present)
        return false;
    const Reply<xcb_res_query_version_reply_t> version(
        xcb_res_query_version_reply(connection, xcb_res_query_version(connection, 1, 2), nullptr));
    return version && (version->server_major > 1 || (version->server_major == 1 && version->server_minor >= 2));
}

std::optional<int32_t> clientPid(xcb_connection_t* connection, xcb_res_query_client_ids_cookie_t cookie)
{
    const Reply<xcb_res_query_client_ids_reply_t> reply(xcb_res_query_client_ids_reply(connection, cookie, nullptr));
    if (!reply)
        return std::nullopt;
    for (auto ids = xcb_res_query_client_ids_ids_iterator(reply.get()); ids.rem > 0; xcb_res_client_id_value_next(&ids)) {
        if ((ids.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0
            && xcb_res_client_id_value_value_length(ids.data) > 0) {
            const uint32_t pid = *xcb_res_client_id_value_value(ids.data);
            if (pid > 0 && pid <= INT32_MAX)
                return static_cast<int32_t>(pid);
        }
    }
    return std::nullopt;
}

std::string hostName()
{
    char name[HOST_NAME_MAX + 1] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

// What one window is asked for, before any answer is read.
struct Requests {
    xcb_window_t window;
    xcb_get_window_attributes_cookie_t attributes;
    xcb_get_property_cookie_t protocols, pid, machine, busName, objectPath;
    xcb_res_query_client_ids_cookie_t client;
};

} // namespace

TopLevelWindows::TopLevelWindows(const std::string& display)
{
    if (display.empty())
        return;
    connection_ = std::make_unique<X11Connection>(display.c_str());
    if (!connection_->ready()) {
        connection_.reset();
        return;
    }
    xcb_connection_t* c = connection_->get();
    const auto deleteWindow = internRequest(c, "WM_DELETE_WINDOW");
    const auto busName = internRequest(c, "_GTK_UNIQUE_BUS_NAME");
    const auto objectPath = internRequest(c, "_GTK_APPLICATION_OBJECT_PATH");
    atoms_ = {intern(c, deleteWindow), intern(c, busName), intern(c, objectPath)};
    resources_ = tellsClientPids(c);
    host_ = hostName();
}

TopLevelWindows::~TopLevelWindows() = default;

bool TopLevelWindows::managerCloses(std::vector<uint32_t>& clients)
{
    xcb_connection_t* c = connection_->get();
    xcb_ewmh_connection_t* ewmh = connection_->ewmh();
    // A manager that has ended leaves its properties behind; its check window goes with it.
    const auto check = values(c, request(c, connection_->root(), ewmh->_NET_SUPPORTING_WM_CHECK));
    if (check.size() != 1 || values(c, request(c, check[0], ewmh->_NET_SUPPORTING_WM_CHECK)) != check)
        return false;
    clients = values(c, request(c, connection_->root(), ewmh->_NET_CLIENT_LIST));
    return holds(values(c, request(c, connection_->root(), ewmh->_NET_SUPPORTED)), ewmh->_NET_CLOSE_WINDOW);
}

std::vector<TopLevelWindow> TopLevelWindows::list()
{
    if (!connection_)
        return {};
    xcb_connection_t* c = connection_->get();
    std::vector<uint32_t> clients;
    managerCloses_ = managerCloses(clients);
    const bool managed = !clients.empty();
    if (!managed) {
        const Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, connection_->root()), nullptr));
        if (tree)
            clients.assign(xcb_query_tree_children(tree.get()),
                           xcb_query_tree_children(tree.get()) + xcb_query_tree_children_length(tree.get()));
    }

    // Every question is asked before any answer is read, so the round trips overlap.
    std::vector<Requests> requests;
    requests.reserve(clients.size());
    for (const uint32_t window : clients) {
        const xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        requests.push_back({window, xcb_get_window_attributes(c, window),
                            request(c, window, connection_->ewmh()->WM_PROTOCOLS),
                            request(c, window, connection_->ewmh()->_NET_WM_PID),
                            request(c, window, XCB_ATOM_WM_CLIENT_MACHINE), request(c, window, atoms_.busName),
                            request(c, window, atoms_.objectPath),
                            resources_ ? xcb_res_query_client_ids(c, 1, &spec) : xcb_res_query_client_ids_cookie_t{}});
    }
    std::vector<TopLevelWindow> windows;
    for (const auto& asked : requests) {
        const Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, asked.attributes, nullptr));
        const bool takesDelete = holds(values(c, asked.protocols), atoms_.deleteWindow);
        const auto ownPid = values(c, asked.pid);
        const bool local = text(c, asked.machine) == host_;
        TopLevelWindow window{asked.window, 0, text(c, asked.busName), text(c, asked.objectPath)};
        const auto pid = resources_ ? clientPid(c, asked.client) : std::nullopt;
        if (pid)
            window.pid = *pid;
        else if (local && ownPid.size() == 1 && ownPid[0] > 0 && ownPid[0] <= INT32_MAX)
            window.pid = static_cast<int32_t>(ownPid[0]);
        // Without a manager, a top-level window is one shown on the root that no
        // manager would pass over (menus and tooltips bypass it).
        const bool shown = managed
                           || (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE
                               && !attributes->override_redirect);
        if (shown && (managerCloses_ || takesDelete))
            windows.push_back(std::move(window));
    }
    return windows;
}

void TopLevelWindows::close(uint32_t window)
{
    if (!connection_)
        return;
    xcb_connection_t* c = connection_->get();
    if (managerCloses_) {
        xcb_ewmh_request_close_window(connection_->ewmh(), connection_->screen(), window, XCB_CURRENT_TIME,
                                      XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    } else {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = connection_->ewmh()->WM_PROTOCOLS;
        message.data.data32[0] = atoms_.deleteWindow;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    }
    xcb_flush(c);
}

} // namespace corvane
