#pragma once

#include "Core/InstalledApps.hpp"

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
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
// thread may read it.
//
// A process belongs to the app whose program it runs, whatever unit it runs in: the
// script an interpreter runs, else its program, with the longest of the program's
// modes (the literal options an entry starts it with) its arguments begin with, else
// the innermost app folder holding its program. A program a part of the session runs
// in a mode of its own (an autostart entry's options) is no app's in that mode. Only
// a process whose program no entry names is claimed by its session unit, and only by
// an app whose unit decides, never when it runs a shell or a terminal multiplexer.
class DesktopAppIndex final : public InstalledApps {
public:
    const InstalledApp* owner(const ProcessIdentity& process) const override;
    // The app of a desktop entry id: "firefox-esr" for firefox-esr.desktop.
    const DesktopApp* byEntry(std::string_view id) const;
    // The app with this root.
    const DesktopApp* byRoot(std::string_view root) const;

private:
    friend class DesktopApps;

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

    std::deque<DesktopApp> apps_;  // a deque keeps the maps' pointers valid while it grows
    Map<const DesktopApp*> roots_;
    Map<const DesktopApp*> entries_;
    Map<const DesktopApp*> folders_;               // an app's own folder
    Map<std::vector<ModeClaim>> programs_;         // longest options first
    Map<std::vector<ModeClaim>> scripts_;          // a script, as found and as resolved
    std::set<std::string, std::less<>> interpreters_;  // what the scripts run with
};

// The installed desktop applications of a session, read from the desktop entries of
// its applications folders, the D-Bus services that start them, and the system's
// autostart entries. An entry's app is found from its Exec program, looked up in the
// search path and followed through symbolic links: a program in a folder of its own
// makes that folder the app's root, one in a folder many programs share (a bin
// folder) is the app on its own, and a script is found through its interpreter. The
// entries are read again only when one of the folders has changed.
class DesktopApps {
public:
    struct Places {
        std::vector<std::filesystem::path> applicationFolders;  // highest precedence first
        // The system's configuration folders (not a person's own), whose autostart
        // entries and session autostart lists start the session's parts.
        std::vector<std::filesystem::path> configFolders;
        std::vector<std::filesystem::path> searchPath;          // where a bare program name is looked for
        std::vector<std::filesystem::path> sharedFolders;       // folders no app owns
    };
    using Environment = std::function<const char*(const char* name)>;

    // This session's: the XDG applications and system configuration folders, $PATH, and
    // the system's bin, lib and share folders (under `root`), $PATH's and the home
    // folder as shared ones.
    static Places session(const Environment& environment = std::getenv, const std::filesystem::path& root = "/");

    explicit DesktopApps(Places places);

    // The index as the folders hold it now. Costs a few stat calls unless a folder
    // changed since the last call. May be called from any thread.
    std::shared_ptr<const DesktopAppIndex> current();

    // The session's, shared by everything in the program that asks which app is which.
    static const std::shared_ptr<DesktopApps>& shared();

private:
    struct Stamp {
        std::filesystem::path folder;
        bool exists = false;
        int64_t seconds = 0, nanoseconds = 0;
        uint64_t inode = 0;

        static Stamp of(const std::filesystem::path& folder);
        bool operator==(const Stamp&) const = default;
    };
    struct Program;

    std::shared_ptr<const DesktopAppIndex> read(std::vector<Stamp>& stamps) const;
    std::string resolve(std::string_view program) const;
    Program program(const std::vector<std::string>& arguments) const;
    void readSessionModes(DesktopAppIndex& index, std::vector<Stamp>& stamps) const;
    bool isShared(const std::filesystem::path& folder) const;

    Places places_;
    std::mutex mutex_;
    std::shared_ptr<const DesktopAppIndex> index_;
    std::vector<Stamp> stamps_;
};

} // namespace corvane
