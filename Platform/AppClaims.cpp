#include "Platform/AppClaims.hpp"

#include <algorithm>

namespace fs = std::filesystem;

namespace corvane {
namespace {

// The entry that names an app claimed by several: a shown one before a hidden one,
// then the shortest name (a suite's own entry over its components': "LibreOffice"
// over "LibreOffice Writer"), then the first in precedence order.
bool preferred(const AppEntry* a, const AppEntry* b)
{
    if (a->displayed != b->displayed)
        return a->displayed;
    return a->name.size() < b->name.size();
}

const AppEntry* best(const std::vector<const AppEntry*>& claimants)
{
    return *std::min_element(claimants.begin(), claimants.end(), preferred);
}

// Among the programs of a shared folder only an app a person starts claims its
// processes: not a part of the session, nor a terminal program.
bool claimsShared(const std::vector<const AppEntry*>& claimants)
{
    return best(claimants)->regular();
}

// The root of an app that is one mode of a shared program: "/usr/bin/x --mode".
std::string modeRoot(std::string root, const std::vector<std::string>& options)
{
    for (const auto& option : options)
        root.append(" ").append(option);
    return root;
}

std::string folderOf(const std::string& file)
{
    return fs::path(file).parent_path().string();
}

} // namespace

std::shared_ptr<const DesktopAppIndex> AppClaims::index(const std::vector<AppEntry>& entries,
                                                        const std::vector<StartedProgram>& sessionModes,
                                                        const SharedFolders& sharedFolders)
{
    AppClaims claims(entries, sharedFolders);
    claims.claimFolders();
    claims.claimPrograms();
    claims.claimScripts();
    claims.claimEntriesAndServices();
    claims.claimSessionModes(sessionModes);
    return std::move(claims.index_).build();
}

AppClaims::AppClaims(const std::vector<AppEntry>& entries, const SharedFolders& sharedFolders)
    : entries_(entries), sharedFolders_(sharedFolders), index_(sharedFolders)
{
    for (const auto& entry : entries) {
        if (auto file = entry.exec.ownFile(); !file.empty())
            programsIn_[folderOf(file)].insert(std::move(file));
    }
    for (const auto& entry : entries) {
        const auto file = entry.exec.ownFile();
        if (file.empty())
            continue;
        if (const auto folder = folderOf(file); appFolder(folder))
            byFolder_[folder].push_back(&entry);
        (entry.exec.script.empty() ? byProgram_ : byScript_)[file][entry.exec.options].push_back(&entry);
    }
}

bool AppClaims::appFolder(const std::string& folder) const
{
    const auto programs = programsIn_.find(folder);
    return !sharedFolders_.holdsOne(folder) && (programs == programsIn_.end() || programs->second.size() <= 1);
}

const DesktopApp* AppClaims::made(const AppEntry* entry) const
{
    const auto found = appOf_.find(entry);
    return found == appOf_.end() ? nullptr : found->second;
}

const DesktopApp& AppClaims::makeApp(const std::string& root, const Claimants& claimants, const AppEntry* named)
{
    if (!named)
        named = best(claimants);
    const auto& program = named->service.path.empty() ? named->exec.path : named->service.path;
    const auto& app = index_.add(DesktopApp{{root, named->name, program, named->regular()},
                                            named->entry,
                                            named->exec.runsOthers() && !named->terminalEmulator});
    for (const AppEntry* claimant : claimants)
        appOf_.emplace(claimant, &app);
    return app;
}

void AppClaims::claimFolders()
{
    std::map<std::string, const DesktopApp*> hiddenPrograms;
    for (const auto& [folder, claimants] : byFolder_) {
        if (std::any_of(claimants.begin(), claimants.end(), [](const AppEntry* entry) { return entry->regular(); }))
            index_.claimFolder(folder, makeApp(folder, claimants));
        for (const AppEntry* hidden : claimants) {
            if (appOf_.contains(hidden) || !hidden->exec.script.empty())
                continue;
            auto& app = hiddenPrograms[hidden->exec.path];
            if (app) {
                appOf_.emplace(hidden, app);
            } else {
                app = &makeApp(hidden->exec.path, {hidden});
                index_.claimMode(hidden->exec.path, {}, *app);
            }
        }
    }
}

// Without a plain entry the program's processes in no entry's mode are left to its
// folder.
AppClaims::ModeApps AppClaims::claimModes(const std::string& file, const Modes& modes)
{
    ModeApps claims;
    if (const auto plain = modes.find({}); plain != modes.end()) {
        Claimants all;
        for (const auto& [options, claimants] : modes)
            all.insert(all.end(), claimants.begin(), claimants.end());
        if (claimsShared(plain->second)) {
            const DesktopApp* app = made(plain->second.front());
            claims.emplace_back(std::vector<std::string>{}, app ? app : &makeApp(file, all, best(plain->second)));
        }
        return claims;
    }
    for (const auto& [options, claimants] : modes) {
        if (claimsShared(claimants)) {
            const DesktopApp* app = made(claimants.front());
            claims.emplace_back(options, app ? app : &makeApp(modeRoot(file, options), claimants));
        }
    }
    return claims;
}

void AppClaims::claimPrograms()
{
    for (const auto& [path, modes] : byProgram_) {
        if (appFolder(folderOf(path)))
            continue;
        for (const auto& [options, app] : claimModes(path, modes))
            index_.claimMode(path, options, *app);
    }
}

void AppClaims::claimScripts()
{
    for (const auto& [script, modes] : byScript_) {
        const auto claims = claimModes(script, modes);
        if (claims.empty())
            continue;
        for (const auto& [options, claimants] : modes) {
            for (const AppEntry* claimant : claimants) {
                index_.interpreter(claimant->exec.path);
                for (const auto& name : claimant->exec.script) {
                    for (const auto& [claimed, app] : claims)
                        index_.claimScript(name, claimed, *app);
                }
            }
        }
    }
}

// Every entry names an app: one whose program cannot be told apart is still its app
// where a session unit names it. The program the D-Bus service named as a regular
// app starts is that app's in the service's mode, unless an entry claims it so.
void AppClaims::claimEntriesAndServices()
{
    for (const auto& entry : entries_) {
        const DesktopApp* app = made(&entry);
        if (!app)
            app = &makeApp(entry.id, {&entry});
        index_.claimEntry(entry.id, *app);
        if (!entry.service.path.empty() && app->app.regular)
            index_.claimMode(entry.service.path, entry.service.options, *app);
    }
}

// A program a part of the session starts with options of its own (a file manager
// drawing the desktop) is no app's in that mode.
void AppClaims::claimSessionModes(const std::vector<StartedProgram>& sessionModes)
{
    for (const auto& mode : sessionModes)
        index_.leaveToSession(mode.path, mode.options);
}

} // namespace corvane
