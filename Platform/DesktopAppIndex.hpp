#pragma once

#include "Core/InstalledApps.hpp"

#include <deque>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane {

// One installed desktop application and the desktop entry it was found through.
struct DesktopApp {
    InstalledApp app;
    std::filesystem::path entry;
    // Its session unit names the processes no program claims: the app's own program
    // runs what it is given (a sandbox's launcher, an interpreter), and it is no
    // terminal, whose unit holds whatever a person starts from it.
    bool unitDecides = false;
};

// The installed desktop applications as the entries held them at one moment: which
// app a process belongs to, and where each app is. Never changes once made, so any
// thread may read it. AppClaims builds it.
//
// A process belongs to the app whose program it runs, whatever unit it runs in: the
// script an interpreter runs, else its program, with the longest of the program's
// modes (the literal options an entry starts it with) its arguments begin with. A
// program a part of the session runs in a mode of its own (an autostart entry's
// options) is no app's in that mode. A process no mode claims belongs to the app
// folder holding its program, the innermost one below the first shared folder (a bin
// folder, the home folder), unless it runs a shell or a terminal multiplexer. Only a
// process none of this claims is claimed by its session unit, and only by an app
// whose unit decides: never one started at a prompt, nor a shell or a multiplexer.
class DesktopAppIndex final : public InstalledApps {
public:
    const InstalledApp* owner(const ProcessIdentity& process) const override;
    // The app of a desktop entry id: "firefox-esr" for firefox-esr.desktop.
    const DesktopApp* byEntry(std::string_view id) const;
    // The app with this root.
    const DesktopApp* byRoot(std::string_view root) const;

private:
    friend class AppClaims;

    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    template <typename Value>
    using Map = std::unordered_map<std::string, Value, Hash, std::equal_to<>>;

    // A program's processes started with these options belong to `app`; nullptr for a
    // part of the session.
    struct ModeClaim {
        std::vector<std::string> options;
        const DesktopApp* app = nullptr;
    };
    using ModeClaims = std::vector<ModeClaim>;  // longest options first

    // The first claim whose options the process's begin with; nullptr when none does.
    static const ModeClaim* matching(const ModeClaims& claims, const std::vector<std::string_view>& options);
    const ModeClaim* programClaim(const ProcessIdentity& process) const;
    const DesktopApp* folderApp(std::string_view program) const;
    const DesktopApp* unitApp(const ProcessIdentity& process) const;

    std::deque<DesktopApp> apps_;  // a deque keeps the maps' pointers valid while it grows
    Map<const DesktopApp*> roots_;
    Map<const DesktopApp*> entries_;
    Map<const DesktopApp*> folders_;  // an app's own folder; nullptr for a shared one, where the walk out stops
    Map<ModeClaims> programs_;
    Map<ModeClaims> scripts_;                          // a script, as found and as resolved
    std::set<std::string, std::less<>> interpreters_;  // what the scripts run with
};

} // namespace corvane
