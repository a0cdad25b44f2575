#pragma once

#include "Platform/AppEntries.hpp"
#include "Platform/DesktopAppIndex.hpp"
#include "Platform/SharedFolders.hpp"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace corvane {

// Builds the index of which app claims which process from what the entries say. An
// entry's own file (its script, else its program) claims
// - by its folder, when that folder is the app's own: no shared folder nor one holding
//   a shared folder (SharedFolders), and no folder the different programs of several
//   entries lie in (a libexec folder, a runtime's bin). A folder only hidden entries
//   name is no app's: it may hold the session's other programs. Their program is;
// - else by name, in the modes the entries start it in: a plain entry names the
//   app in every mode, otherwise each mode is an app of its own. A script claims the
//   processes of the interpreters that run it.
// An entry's D-Bus service program claims in its mode too, and the modes a part of the
// session starts a program in are no app's.
class AppClaims {
public:
    static std::shared_ptr<const DesktopAppIndex> index(const std::vector<AppEntry>& entries,
                                                        const std::vector<StartedProgram>& sessionModes,
                                                        const SharedFolders& sharedFolders);

private:
    using Claimants = std::vector<const AppEntry*>;
    using Modes = std::map<std::vector<std::string>, Claimants>;  // by the options a program is started with
    using ModeApps = std::vector<std::pair<std::vector<std::string>, const DesktopApp*>>;

    AppClaims(const std::vector<AppEntry>& entries, const SharedFolders& sharedFolders);

    // Whether the folder an entry's own file lies in is its app's own, the app taking
    // the folder's other programs: no shared folder nor one holding one, and no folder
    // the files of several entries lie in.
    bool appFolder(const std::string& folder) const;
    // The app already made for an entry; nullptr when none is.
    const DesktopApp* made(const AppEntry* entry) const;
    // `named`: the entry that names it, the best of the claimants unless given.
    const DesktopApp& makeApp(const std::string& root, const Claimants& claimants, const AppEntry* named = nullptr);

    void claimFolders();
    ModeApps claimModes(const std::string& file, const Modes& modes);
    void claimPrograms();
    void claimScripts();
    void claimEntriesAndServices();
    void claimSessionModes(const std::vector<StartedProgram>& sessionModes);

    const std::vector<AppEntry>& entries_;
    const SharedFolders& sharedFolders_;
    DesktopAppIndex::Builder index_;
    std::map<std::string, std::set<std::string>> programsIn_;  // entries' own files by folder
    std::map<std::string, Claimants> byFolder_;                // the entries of each app folder
    std::map<std::string, Modes> byProgram_, byScript_;        // the entries of each own file, by mode
    std::map<const AppEntry*, const DesktopApp*> appOf_;
};

} // namespace corvane
