#pragma once

#include "Core/InstalledApps.hpp"

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane {

// One installed desktop application and the desktop entry it was found through.
struct DesktopApp {
    InstalledApp app;
    std::filesystem::path entry;
};

// The installed desktop applications as the entries held them at one moment: which
// app a process belongs to, and where each app is. Never changes once made, so any
// thread may read it.
class DesktopAppIndex final : public InstalledApps {
public:
    // In order: the app whose entry the session unit names; the app whose program
    // `path` is; the app whose own folder holds `path` (the innermost one).
    const InstalledApp* owner(std::string_view path, std::string_view scope) const override;
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
    using Map = std::unordered_map<std::string, const DesktopApp*, Hash, std::equal_to<>>;

    std::deque<DesktopApp> apps_;  // a deque keeps the maps' pointers valid while it grows
    Map roots_;
    Map entries_;
};

// The installed desktop applications of a session, read from the desktop entries of
// its applications folders. An entry's app is found from its Exec program, looked up
// in the search path and followed through symbolic links: a program in a folder of
// its own makes that folder the app's root, one in a folder many programs share (a
// bin folder) is the app on its own. The entries are read again only when one of the
// folders has changed.
class DesktopApps {
public:
    struct Places {
        std::vector<std::filesystem::path> applicationFolders;  // highest precedence first
        std::vector<std::filesystem::path> searchPath;          // where a bare program name is looked for
        std::vector<std::filesystem::path> sharedFolders;       // folders no app owns
    };
    using Environment = std::function<const char*(const char* name)>;

    // This session's: the XDG applications folders, $PATH, and the system's bin,
    // lib and share folders, $PATH's and the home folder as shared ones.
    static Places session(const Environment& environment = std::getenv);

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

    std::shared_ptr<const DesktopAppIndex> read(std::vector<Stamp>& stamps) const;
    std::string resolve(std::string_view program) const;

    Places places_;
    std::mutex mutex_;
    std::shared_ptr<const DesktopAppIndex> index_;
    std::vector<Stamp> stamps_;
};

} // namespace corvane
