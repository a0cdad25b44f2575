#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct sd_bus;

namespace corvane {

// The quit action apps export on one D-Bus session bus: an app of GLib's GApplication
// (every GTK app) exports its actions through org.gtk.Actions, and its "quit" is the
// app menu's Quit, which asks about unsaved work as the app's own Quit does.
class QuitActions {
public:
    // `address` as $DBUS_SESSION_BUS_ADDRESS writes it; empty for none.
    explicit QuitActions(const std::string& address);
    ~QuitActions();
    QuitActions(const QuitActions&) = delete;
    QuitActions& operator=(const QuitActions&) = delete;

    bool connected() const { return bus_ != nullptr; }
    // The process that owns `name` on the bus; nothing when none does.
    std::optional<int32_t> owner(const std::string& name);
    // Whether the app at `name` and `path` has a "quit" it lets be activated, with no parameter.
    bool exports(const std::string& name, const std::string& path);
    // Activates it without waiting for the answer: an app asking about unsaved work
    // answers only once the person has.
    void activate(const std::string& name, const std::string& path);

    // The object a GApplication exports its actions on: "/org/gnome/Evince" for "org.gnome.Evince".
    static std::string objectPath(const std::string& appId);

private:
    sd_bus* bus_ = nullptr;
};

} // namespace corvane
