#pragma once

#include "Platform/FolderStamp.hpp"
#include "Platform/StartedProgram.hpp"

#include <filesystem>
#include <string>
#include <vector>

namespace corvane {

// What one desktop entry says about its app.
struct AppEntry {
    std::string id;           // "firefox-esr" for firefox-esr.desktop, "kde4-x" for kde4/x.desktop
    std::string name;         // its Name, else its id
    StartedProgram exec;      // what its Exec line starts
    StartedProgram service;   // what the D-Bus service named after it starts: a program that
                              // runs no others; an empty path for none
    bool displayed = true;
    bool terminal = false;            // runs in a terminal rather than a window of its own
    bool terminalEmulator = false;    // is one
    std::filesystem::path entry;

    // A person starts it and works in it: shown among the desktop's applications, in a
    // window of its own.
    bool regular() const { return displayed && !terminal; }
};

// Reading what the session's desktop entries, the D-Bus services that start them and
// the system's autostart lists say. Programs are found on `searchPath`. Every folder is
// stamped before it is read, so a change made while reading shows at the next look.
namespace AppEntries {

// The applications of the applications folders (highest precedence first), each entry
// id once, from the folder of highest precedence: an entry that is Hidden or whose
// TryExec program is missing hides the same id further down. Vendor subfolders are
// read a few levels deep. An entry's D-Bus service is read from the "dbus-1/services"
// folder beside its applications folder.
std::vector<AppEntry> read(const std::vector<std::filesystem::path>& applicationFolders,
                           const std::vector<std::filesystem::path>& searchPath, std::vector<FolderStamp>& stamps);

// The programs the system's autostart entries ("autostart/*.desktop") and lxsession's
// lists ("lxsession/*/autostart", "@pcmanfm --desktop") of the configuration folders
// start with options: the modes a part of the session runs them in.
std::vector<StartedProgram> sessionModes(const std::vector<std::filesystem::path>& configFolders,
                                         const std::vector<std::filesystem::path>& searchPath,
                                         std::vector<FolderStamp>& stamps);

} // namespace AppEntries

} // namespace corvane
