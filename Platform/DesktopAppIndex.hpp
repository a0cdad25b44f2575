#pragma once

#include "Core/InstalledApps.hpp"
#include "Platform/SharedFolders.hpp"

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
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
// app a process belongs to, and where each app is. Never changes once built, so any
// thread may read it.
//
// A process belongs to the app whose program it runs, whatever unit it runs in: the
// script a shell or an interpreter runs, else its program, with the longest of the
// program's modes (the literal options an entry starts it with) its arguments begin
// with. A program a part of the session runs in a mode of its own (an autostart
// entry's options) is no app's in that mode. A process no mode claims belongs to the
// app folder holding its program, the innermost one below the first shared folder
// (SharedFolders), unless it runs a shell or a terminal multiplexer. Only a process
// none of this claims is claimed by its session unit, and only by an app whose unit
// decides: never one started at a prompt, nor a shell or a multiplexer.
class DesktopAppIndex final : public InstalledApps {
public:
    class Builder;

    const InstalledApp* owner(const ProcessIdentity& process) const override;
    // The app of a desktop entry id: "firefox-esr" for firefox-esr.desktop.
    const DesktopApp* byEntry(std::string_view id) const;
    // The app with this root.
    const DesktopApp* byRoot(std::string_view root) const;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    template <typename Value>
    using Map = std::unordered_map<std::string, Value, Hash, std::equal_to<>>;

    // Whose the processes of a program started with these options are: an app's, or,
    // in a mode a part of the session starts the program in, no app's.
    struct ModeClaim {
        enum class By { app, session };
        std::vector<std::string> options;
        By by = By::app;
        const DesktopApp* app = nullptr;  // the claiming app, with By::app
    };
    using ModeClaims = std::vector<ModeClaim>;  // longest options first; the session's first among equals

    explicit DesktopAppIndex(SharedFolders sharedFolders);

    // The first claim whose options the process's begin with; nullptr when none does.
    static const ModeClaim* matching(const ModeClaims& claims, const std::vector<std::string_view>& options);
    const ModeClaim* programClaim(const ProcessIdentity& process) const;
    const DesktopApp* folderApp(std::string_view program) const;
    const DesktopApp* unitApp(const ProcessIdentity& process) const;

    SharedFolders sharedFolders_;
    std::deque<DesktopApp> apps_;  // a deque keeps the maps' pointers valid while it grows
    Map<const DesktopApp*> roots_;
    Map<const DesktopApp*> entries_;
    Map<const DesktopApp*> folders_;                   // app folders
    Map<ModeClaims> programs_;
    Map<ModeClaims> scripts_;                          // a script, as found and as resolved
    std::set<std::string, std::less<>> interpreters_;  // what the scripts run with
};

// Makes an index. Every claim names an app this builder added, and a program's claims
// stay in the order the lookup tries them, whatever order they are made in.
class DesktopAppIndex::Builder {
public:
    explicit Builder(SharedFolders sharedFolders);

    // An app, one per root: the app already added with this root, if any.
    const DesktopApp& add(DesktopApp app);
    // The processes whose program lies in `folder`, or on the walk out from their
    // program's folder meet it before any shared folder, are `app`'s.
    void claimFolder(const std::string& folder, const DesktopApp& app);
    // `app` is the app of the entry with this id, and of the processes its session unit
    // names where its unit decides.
    void claimEntry(const std::string& id, const DesktopApp& app);
    // The processes of `program` whose options begin with `options` are `app`'s, unless
    // the program is claimed in that mode or in every mode already.
    void claimMode(const std::string& program, const std::vector<std::string>& options, const DesktopApp& app);
    // As claimMode, for the processes of the interpreters given by interpreter() that
    // run the script `script` with options after it.
    void claimScript(const std::string& script, const std::vector<std::string>& options, const DesktopApp& app);
    void interpreter(const std::string& program);
    // The processes of `program` whose options begin with `options` are no app's, unless
    // an app claims a longer mode of it.
    void leaveToSession(const std::string& program, const std::vector<std::string>& options);

    std::shared_ptr<const DesktopAppIndex> build() &&;

private:
    const DesktopApp* owned(const DesktopApp& app) const;
    static void insert(ModeClaims& claims, ModeClaim claim);

    std::shared_ptr<DesktopAppIndex> index_;
};

} // namespace corvane
