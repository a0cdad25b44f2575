#pragma once

#include "Platform/AppEntries.hpp"
#include "Platform/DesktopAppIndex.hpp"

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace corvane {

// Builds the index of which app claims which process from what the entries say. An
// entry's own file (its script, else its program) claims
// - by its folder, when that folder is the app's own: no shared folder (one on the
//   search path, the home folder, a system folder), none holding one (~/.local holds
//   ~/.local/bin), and no folder the different programs of several entries lie in (a
//   libexec folder, a runtime's bin). A folder only hidden entries name is no app's:
//   it may hold the session's other programs. Their program is;
// - else by name, in the modes the entries start it in: a plain entry names the
//   app in every mode, otherwise each mode is an app of its own. A script claims the
//   processes of the interpreters that run it.
// An entry's D-Bus service program claims in its mode too, and the modes a part of the
// session starts a program in are no app's.
class AppClaims {
public:
    // `sharedFolders` resolved through links, as entries' programs are.
    static std::shared_ptr<const DesktopAppIndex> index(const std::vector<AppEntry>& entries,
                                                        const std::vector<StartedProgram>& sessionModes,
                                                        const std::vector<std::filesystem::path>& sharedFolders);

private:
    using Claimants = std::vector<const AppEntry*>;
    using Modes = std::map<std::vector<std::string>, Claimants>;  // by the options a program is started with
    using ModeClaims = DesktopAppIndex::ModeClaims;

    AppClaims(const std::vector<AppEntry>& entries, const std::vector<std::filesystem::path>& sharedFolders);

    bool shared(const std::string& folder) const;
    // The app already made for an entry; nullptr when none is.
    const DesktopApp* made(const AppEntry* entry) const;
    // `named`: the entry that names it, the best of the claimants unless given.
    const DesktopApp* makeApp(const std::string& root, const Claimants& claimants, const AppEntry* named = nullptr);

    void claimFolders();
    ModeClaims claimModes(const std::string& file, const Modes& modes);
    void claimPrograms();
    void claimScripts();
    void claimEntriesAndServices();
    void claimSessionModes(const std::vector<StartedProgram>& sessionModes);
    void finish();

    const std::vector<AppEntry>& entries_;
    std::vector<std::string> sharedFolders_;
    std::map<std::string, std::set<std::string>> programsIn_;  // entries' own files by folder
    std::map<std::string, Claimants> byFolder_;                // the entries of each app folder
    std::map<std::string, Modes> byProgram_, byScript_;        // the entries of each own file, by mode
    std::shared_ptr<DesktopAppIndex> index_;
    std::map<const AppEntry*, const DesktopApp*> appOf_;
};

} // namespace corvane
