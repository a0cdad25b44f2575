#pragma once

#include "Core/Shell.hpp"
#include "Core/Workspace.hpp"
#include "Platform/DesktopApps.hpp"
#include "Platform/QuitRequest.hpp"
#include "Platform/SettingsPanels.hpp"

#include <filesystem>
#include <vector>

namespace corvane {

// The desktop session on Linux. Running applications are the current user's, as
// RunningApps lists them over the installed desktop apps (DesktopApps), asked to quit
// through the session's display and bus. URLs open with
// xdg-open, except a System Settings pane's link, which opens the session's own
// settings page for it (SettingsPanels) or nothing; a web page opens with xdg-open too,
// waited for, since only its exit tells whether any handler took the page. An application is found by
// bundle identifier through its desktop entry (the browsers' under their own entry
// names) and is where its program is; it is launched from that entry with gio (else
// gtk-launch). Opening and launching run on a thread of their own: the tools may not
// return before the program they started ends.
class LinuxWorkspace final : public Workspace {
public:
    // /proc, this session's installed apps (DesktopApps::shared, read once for the whole
    // program), display and bus, tools run through Shell::run.
    LinuxWorkspace();
    // The installed apps are those of the applications folders, found as this session
    // finds programs; a quit asks through `quitSession` (by default by signals alone).
    LinuxWorkspace(std::filesystem::path procRoot, std::vector<std::filesystem::path> applicationFolders,
                   CommandRunner run, SettingsPanels::Session session = SettingsPanels::Session::current(),
                   QuitSession quitSession = {});

    std::vector<Application> runningApplications() override;
    bool open(const std::string& url) override;
    bool openPage(const std::string& url) override;
    std::optional<std::string> urlForApplication(std::string_view bundleIdentifier) override;
    void openApplication(const std::string& url) override;

private:
    std::filesystem::path procRoot_;
    std::shared_ptr<DesktopApps> apps_;
    CommandRunner run_;
    SettingsPanels::Session session_;
    QuitSession quitSession_;
};

} // namespace corvane
