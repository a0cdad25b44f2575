#include "Platform/LinuxWorkspace.hpp"

#include "Core/Text.hpp"
#include "Platform/BrowserProcesses.hpp"
#include "Platform/RunningApps.hpp"

#include <algorithm>
#include <functional>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace corvane {
namespace {

// Runs `body` with the runner on a thread of its own and lets it go; false when no
// thread could be had.
bool runDetached(CommandRunner run, std::function<void(const CommandRunner&)> body)
{
    try {
        std::thread([run = std::move(run), body = std::move(body)] {
            try {
                body(run);
            } catch (...) {
                // What the tool then does is not reported, and a failure must not end the program.
            }
        }).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

// The session's places for finding programs, with these applications folders.
DesktopApps::Places places(std::vector<fs::path> applicationFolders)
{
    auto places = DesktopApps::session();
    places.applicationFolders = std::move(applicationFolders);
    return places;
}

} // namespace

LinuxWorkspace::LinuxWorkspace()
    : procRoot_("/proc"), apps_(DesktopApps::shared()), run_(Shell::run), session_(SettingsPanels::Session::current()),
      quitSession_(QuitSession::fromEnvironment())
{
}

LinuxWorkspace::LinuxWorkspace(fs::path procRoot, std::vector<fs::path> applicationFolders, CommandRunner run,
                               SettingsPanels::Session session, QuitSession quitSession)
    : procRoot_(std::move(procRoot)), apps_(std::make_shared<DesktopApps>(places(std::move(applicationFolders)))),
      run_(std::move(run)), session_(std::move(session)), quitSession_(std::move(quitSession))
{
}

std::vector<Workspace::Application> LinuxWorkspace::runningApplications()
{
    return RunningApps::list(procRoot_, *apps_->current(), ::getuid(), ::getpid(), quitSession_);
}

bool LinuxWorkspace::open(const std::string& url)
{
    // No handler here knows a System Settings link: the desktop's own page stands in.
    if (const auto pane = fromString<SettingsPane>(url)) {
        const auto page = SettingsPanels::command(*pane, session_);
        return page
            && runDetached(run_, [page = *page](const CommandRunner& run) { run(page.program, page.arguments); });
    }
    return runDetached(run_, [url](const CommandRunner& run) { run("/usr/bin/xdg-open", {url}); });
}

bool LinuxWorkspace::openPage(const std::string& url)
{
    // The tool's output stays here: without a handler it lists every browser it tried.
    try {
        return run_("/usr/bin/xdg-open", {url}).status == 0;
    } catch (const std::system_error&) {
        return false;
    }
}

std::optional<std::string> LinuxWorkspace::urlForApplication(std::string_view bundleIdentifier)
{
    std::vector<std::string> entries;
    if (const auto browser = fromString<ChromiumBrowser>(bundleIdentifier))
        entries = BrowserProcesses::desktopEntries(*browser);
    entries.emplace_back(bundleIdentifier);
    const auto installed = apps_->current();
    for (const auto& entry : entries) {
        if (const DesktopApp* app = installed->byEntry(entry))
            return app->app.root;
    }
    return std::nullopt;
}

void LinuxWorkspace::openApplication(const std::string& url)
{
    const auto installed = apps_->current();
    const DesktopApp* app = installed->byRoot(url);
    if (!app)
        return;
    runDetached(run_, [entry = app->entry.string()](const CommandRunner& run) {
        try {
            run("/usr/bin/gio", {"launch", entry});
        } catch (const std::system_error&) {
            run("/usr/bin/gtk-launch", {Text::lastPathComponent(entry)});
        }
    });
}

} // namespace corvane
