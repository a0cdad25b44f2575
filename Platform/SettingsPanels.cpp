#include "Platform/SettingsPanels.hpp"

#include "Core/Text.hpp"
#include "Platform/InstalledTool.hpp"

#include <algorithm>
#include <string_view>

namespace fs = std::filesystem;

namespace corvane::SettingsPanels {

namespace {

// One settings page: the first of `programs` installed is started, with `argument`.
struct Page {
    SettingsPane pane;
    std::vector<std::string_view> programs;
    std::optional<std::string_view> argument;
};

// A desktop by the names $XDG_CURRENT_DESKTOP gives it, and the pages it has. A
// pane it has no page for (Automation everywhere) is missing from its list.
struct Desktop {
    std::vector<std::string_view> names;
    std::vector<Page> pages;
};

const std::vector<Desktop>& knownDesktops()
{
    static const std::vector<Desktop> desktops = [] {
        const std::vector<std::string_view> gnome{"gnome-control-center"};
        // System Settings opens a module in its own window; the kcmshells show it alone.
        const std::vector<std::string_view> kde{"systemsettings", "kcmshell6", "kcmshell5"};
        const std::vector<std::string_view> cinnamon{"cinnamon-settings"};
        // Xfce and MATE leave network connections to NetworkManager's own editor.
        const std::vector<std::string_view> connections{"nm-connection-editor"};
        return std::vector<Desktop>{
            {{"GNOME"},
             {{SettingsPane::spotlight, gnome, "search"},
              // GNOME Settings has no startup page; the session's own tool, where installed, does.
              {SettingsPane::loginItems, {"gnome-session-properties"}, std::nullopt},
              {SettingsPane::displays, gnome, "display"},
              {SettingsPane::accessibilityDisplay, gnome, "universal-access"},
              {SettingsPane::battery, gnome, "power"},
              {SettingsPane::wifi, gnome, "wifi"}}},
            {{"KDE"},
             {{SettingsPane::spotlight, kde, "kcm_baloofile"},
              {SettingsPane::loginItems, kde, "kcm_autostart"},
              {SettingsPane::displays, kde, "kcm_kscreen"},
              {SettingsPane::accessibilityDisplay, kde, "kcm_access"},
              {SettingsPane::battery, kde, "kcm_powerdevilprofilesconfig"},
              {SettingsPane::wifi, kde, "kcm_networkmanagement"}}},
            {{"XFCE"},
             {{SettingsPane::loginItems, {"xfce4-session-settings"}, std::nullopt},
              {SettingsPane::displays, {"xfce4-display-settings"}, std::nullopt},
              {SettingsPane::accessibilityDisplay, {"xfce4-accessibility-settings"}, std::nullopt},
              {SettingsPane::battery, {"xfce4-power-manager-settings"}, std::nullopt},
              {SettingsPane::wifi, connections, std::nullopt}}},
            {{"X-Cinnamon", "Cinnamon"},
             {{SettingsPane::loginItems, cinnamon, "startup"},
              {SettingsPane::displays, cinnamon, "display"},
              {SettingsPane::accessibilityDisplay, cinnamon, "accessibility"},
              {SettingsPane::battery, cinnamon, "power"},
              {SettingsPane::wifi, cinnamon, "network"}}},
            {{"MATE"},
             {{SettingsPane::loginItems, {"mate-session-properties"}, std::nullopt},
              {SettingsPane::displays, {"mate-display-properties"}, std::nullopt},
              {SettingsPane::accessibilityDisplay, {"mate-at-properties"}, std::nullopt},
              {SettingsPane::battery, {"mate-power-preferences"}, std::nullopt},
              {SettingsPane::wifi, connections, std::nullopt}}},
        };
    }();
    return desktops;
}

std::optional<Command> command(const Page& page, const std::vector<fs::path>& path)
{
    for (const auto program : page.programs) {
        if (auto found = Platform::findProgram(program, path)) {
            Command command{found->string(), {}};
            if (page.argument)
                command.arguments.emplace_back(*page.argument);
            return command;
        }
    }
    return std::nullopt;
}

} // namespace

Session Session::current(const Environment& environment)
{
    Session session;
    for (const auto name : Text::splitSkippingEmpty(valueOf(environment, "XDG_CURRENT_DESKTOP"), ':'))
        session.desktops.emplace_back(name);
    session.path = Platform::searchPath(valueOf(environment, "PATH"));
    return session;
}

std::optional<Command> command(SettingsPane pane, const Session& session)
{
    for (const auto& name : session.desktops) {
        for (const auto& desktop : knownDesktops()) {
            if (std::find(desktop.names.begin(), desktop.names.end(), name) == desktop.names.end())
                continue;
            for (const auto& page : desktop.pages) {
                if (page.pane != pane)
                    continue;
                if (auto found = command(page, session.path))
                    return found;
            }
        }
    }
    return std::nullopt;
}

} // namespace corvane::SettingsPanels
