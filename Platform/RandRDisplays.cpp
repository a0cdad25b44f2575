#include "Platform/RandRDisplays.hpp"

#include <cstdlib>
#include <memory>
#include <xcb/randr.h>
#include <xcb/xcb.h>

namespace corvane::RandRDisplays {

namespace {

struct Disconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

struct Free {
    void operator()(void* reply) const { std::free(reply); }
};

template <class T>
using Reply = std::unique_ptr<T, Free>;

// The root window of the screen $DISPLAY names, if the server has that screen.
std::optional<xcb_window_t> rootWindow(xcb_connection_t* connection, int screen)
{
    auto roots = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screen && roots.rem > 0; ++i)
        xcb_screen_next(&roots);
    if (screen < 0 || roots.rem <= 0)
        return std::nullopt;
    return roots.data->root;
}

bool listsMonitors(xcb_connection_t* connection)
{
    const auto* extension = xcb_get_extension_data(connection, &xcb_randr_id);
    if (extension == nullptr || !extension->present)
        return false;
    const Reply<xcb_randr_query_version_reply_t> version(
        xcb_randr_query_version_reply(connection, xcb_randr_query_version(connection, 1, 5), nullptr));
    return version && (version->major_version > 1 || (version->major_version == 1 && version->minor_version >= 5));
}

} // namespace

std::optional<Answer> query(const char* display)
{
    int screen = 0;
    const std::unique_ptr<xcb_connection_t, Disconnect> owner(xcb_connect(display, &screen));
    xcb_connection_t* connection = owner.get();
    if (xcb_connection_has_error(connection) || !listsMonitors(connection))
        return std::nullopt;
    const auto root = rootWindow(connection, screen);
    if (!root)
        return std::nullopt;

    const auto monitorsCookie = xcb_randr_get_monitors(connection, *root, 1);
    const auto resourcesCookie = xcb_randr_get_screen_resources_current(connection, *root);
    const Reply<xcb_randr_get_monitors_reply_t> monitors(
        xcb_randr_get_monitors_reply(connection, monitorsCookie, nullptr));
    const Reply<xcb_randr_get_screen_resources_current_reply_t> resources(
        xcb_randr_get_screen_resources_current_reply(connection, resourcesCookie, nullptr));
    if (!monitors || !resources)
        return std::nullopt;

    Answer answer;
    const auto* modes = xcb_randr_get_screen_resources_current_modes(resources.get());
    const int modeCount = xcb_randr_get_screen_resources_current_modes_length(resources.get());
    for (int i = 0; i < modeCount; ++i)
        answer.modeWidths.emplace(modes[i].id, modes[i].width);

    // Each question is asked for every monitor before any answer is read, so the
    // round trips overlap. A monitor's first output carries its modes.
    const xcb_timestamp_t configuration = resources->config_timestamp;
    std::vector<std::optional<xcb_randr_get_output_info_cookie_t>> outputs;
    for (auto monitor = xcb_randr_get_monitors_monitors_iterator(monitors.get()); monitor.rem > 0;
         xcb_randr_monitor_info_next(&monitor)) {
        answer.monitors.emplace_back();
        if (xcb_randr_monitor_info_outputs_length(monitor.data) > 0)
            outputs.push_back(xcb_randr_get_output_info(connection, xcb_randr_monitor_info_outputs(monitor.data)[0],
                                                        configuration));
        else
            outputs.push_back(std::nullopt);
    }

    std::vector<std::optional<xcb_randr_get_crtc_info_cookie_t>> crtcs;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        crtcs.push_back(std::nullopt);
        if (!outputs[i])
            continue;
        const Reply<xcb_randr_get_output_info_reply_t> output(
            xcb_randr_get_output_info_reply(connection, *outputs[i], nullptr));
        if (!output)
            continue;
        const auto* ids = xcb_randr_get_output_info_modes(output.get());
        answer.monitors[i].modes.assign(ids, ids + xcb_randr_get_output_info_modes_length(output.get()));
        if (output->crtc != XCB_NONE)
            crtcs.back() = xcb_randr_get_crtc_info(connection, output->crtc, configuration);
    }

    for (std::size_t i = 0; i < crtcs.size(); ++i) {
        if (!crtcs[i])
            continue;
        const Reply<xcb_randr_get_crtc_info_reply_t> crtc(
            xcb_randr_get_crtc_info_reply(connection, *crtcs[i], nullptr));
        if (crtc && crtc->mode != XCB_NONE)
            answer.monitors[i].currentMode = crtc->mode;
    }
    return answer;
}

std::vector<DisplayModes> displays(const Answer& answer, std::size_t limit)
{
    const auto width = [&](uint32_t mode) -> std::optional<int64_t> {
        const auto found = answer.modeWidths.find(mode);
        if (found == answer.modeWidths.end())
            return std::nullopt;
        return found->second;
    };

    std::vector<DisplayModes> displays;
    for (const auto& monitor : answer.monitors) {
        if (displays.size() == limit)
            break;
        DisplayModes display;
        for (const uint32_t mode : monitor.modes) {
            if (const auto known = width(mode))
                display.widths.push_back(*known);
        }
        if (monitor.currentMode)
            display.currentWidth = width(*monitor.currentMode);
        displays.push_back(std::move(display));
    }
    return displays;
}

} // namespace corvane::RandRDisplays
