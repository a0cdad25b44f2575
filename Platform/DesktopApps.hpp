#pragma once

#include "Platform/DesktopAppIndex.hpp"
#include "Platform/Environment.hpp"
#include "Platform/FolderStamp.hpp"
#include "Platform/SharedFolders.hpp"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

namespace corvane {

// The installed desktop applications of a session, read from the desktop entries of
// its applications folders, the D-Bus services that start them, and the system's
// autostart entries (AppEntries), and turned into who claims which process
// (AppClaims). An entry's app is found from its Exec program, looked up in the search
// path and followed through symbolic links: a program in a folder of its own makes
// that folder the app's root, one in a shared folder (SharedFolders: a bin folder, the
// home folder) is the app on its own, and a script is found through its interpreter.
// The entries are read again only when one of the folders has changed.
class DesktopApps {
public:
    struct Places {
        std::vector<std::filesystem::path> applicationFolders;  // highest precedence first
        // The system's configuration folders (not a person's own), whose autostart
        // entries and session autostart lists start the session's parts.
        std::vector<std::filesystem::path> configFolders;
        std::vector<std::filesystem::path> searchPath;          // where a bare program name is looked for
        SharedFolders sharedFolders;
    };

    // This session's: the XDG applications and system configuration folders, $PATH, and
    // its shared folders, the system's under `root`.
    static Places session(const Environment& environment = std::getenv, const std::filesystem::path& root = "/");

    explicit DesktopApps(Places places);

    // The index as the folders hold it now. Costs a few stat calls unless a folder
    // changed since the last call. May be called from any thread.
    std::shared_ptr<const DesktopAppIndex> current();

    // The session's, shared by everything in the program that asks which app is which.
    static const std::shared_ptr<DesktopApps>& shared();

private:
    std::shared_ptr<const DesktopAppIndex> read(std::vector<FolderStamp>& stamps) const;

    Places places_;
    std::mutex mutex_;
    std::shared_ptr<const DesktopAppIndex> index_;
    std::vector<FolderStamp> stamps_;
};

} // namespace corvane
