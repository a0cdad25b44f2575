#include "Platform/QuitActions.hpp"

#include <algorithm>
#include <systemd/sd-bus.h>

namespace corvane {
namespace {

constexpr uint64_t answerWithin = 2'000'000;  // microseconds; an app that cannot answer is closed another way
constexpr const char* actions = "org.gtk.Actions";

struct Message {
    sd_bus_message* message = nullptr;
    ~Message() { sd_bus_message_unref(message); }
};

struct Error {
    sd_bus_error error{};  // what SD_BUS_ERROR_NULL spells as a C compound literal
    ~Error() { sd_bus_error_free(&error); }
};

} // namespace

QuitActions::QuitActions(const std::string& address)
{
    if (address.empty() || sd_bus_new(&bus_) < 0)
        return;
    if (sd_bus_set_address(bus_, address.c_str()) < 0 || sd_bus_set_bus_client(bus_, 1) < 0 || sd_bus_start(bus_) < 0)
        bus_ = sd_bus_flush_close_unref(bus_);
}

QuitActions::~QuitActions()
{
    sd_bus_flush_close_unref(bus_);
}

std::optional<int32_t> QuitActions::owner(const std::string& name)
{
    Message call, answer;
    Error error;
    uint32_t pid = 0;
    if (!bus_
        || sd_bus_message_new_method_call(bus_, &call.message, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                          "org.freedesktop.DBus", "GetConnectionUnixProcessID")
               < 0
        || sd_bus_message_append(call.message, "s", name.c_str()) < 0
        || sd_bus_call(bus_, call.message, answerWithin, &error.error, &answer.message) < 0
        || sd_bus_message_read(answer.message, "u", &pid) < 0 || pid == 0 || pid > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(pid);
}

bool QuitActions::exports(const std::string& name, const std::string& path)
{
    Message call, answer;
    Error error;
    int enabled = 0;
    const char* parameter = nullptr;
    return bus_ && sd_bus_message_new_method_call(bus_, &call.message, name.c_str(), path.c_str(), actions, "Describe") >= 0
           && sd_bus_message_append(call.message, "s", "quit") >= 0
           && sd_bus_call(bus_, call.message, answerWithin, &error.error, &answer.message) >= 0
           && sd_bus_message_enter_container(answer.message, 'r', "bgav") > 0
           && sd_bus_message_read(answer.message, "bg", &enabled, &parameter) >= 0 && enabled && parameter
           && *parameter == '\0';
}

void QuitActions::activate(const std::string& name, const std::string& path)
{
    Message call;
    if (bus_ && sd_bus_message_new_method_call(bus_, &call.message, name.c_str(), path.c_str(), actions, "Activate") >= 0
        && sd_bus_message_append(call.message, "sava{sv}", "quit", 0, 0) >= 0
        && sd_bus_message_set_expect_reply(call.message, 0) >= 0 && sd_bus_send(bus_, call.message, nullptr) >= 0)
        sd_bus_flush(bus_);
}

std::string QuitActions::objectPath(const std::string& appId)
{
    std::string path = "/" + appId;
    std::replace(path.begin(), path.end(), '.', '/');
    std::replace(path.begin(), path.end(), '-', '_');
    return path;
}

} // namespace corvane
