#pragma once

#include "Core/SettingsPane.hpp"
#include "Platform/Environment.hpp"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Which of the running desktop's own settings programs stands in for a System
// Settings pane: GNOME Settings, KDE System Settings, and the settings tools of
// Xfce, Cinnamon and MATE. Where the desktop has no such page, or its program is not
// installed, there is none.
namespace corvane::SettingsPanels {

// What decides the choice: the desktops the session runs as, and where programs are.
struct Session {
    std::vector<std::string> desktops;        // $XDG_CURRENT_DESKTOP, in its order
    std::vector<std::filesystem::path> path;  // the absolute folders of $PATH, in order

    // This process's session.
    static Session current(const Environment& environment = std::getenv);
};

// A program to start, by its full path, with its arguments.
struct Command {
    std::string program;
    std::vector<std::string> arguments;

    bool operator==(const Command&) const = default;
};

// The settings page for the pane on the first of the session's desktops that has one
// installed, else nothing.
std::optional<Command> command(SettingsPane pane, const Session& session);

} // namespace corvane::SettingsPanels
