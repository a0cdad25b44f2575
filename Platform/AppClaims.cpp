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
                                                        const std::vector<fs::path>& sharedFolders)
{
    AppClaims claims(entries, sharedFolders);
    claims.claimFolders();
    claims.claimPrograms();
    claims.claimScripts();
    claims.claimEntriesAndServices();
    claims.claimSessionModes(sessionModes);
    claims.finish();
    return claims.index_;
}

AppClaims::AppClaims(const std::vector<AppEntry>& entries, const std::vector<fs::path>& sharedFolders)
    : entries_(entries), sharedFolders_(sharedFolders.begin(), sharedFolders.end()),
      index_(std::make_shared<DesktopAppIndex>())
{
    for (const auto& entry : entries) {
        if (auto file = entry.ownFile(); !file.empty())
            programsIn_[folderOf(file)].insert(std::move(file));
    }
    for (const auto& entry : entries) {
        const auto file = entry.ownFile();
        if (file.empty())
            continue;
        if (const auto folder = folderOf(file); !shared(folder))
            byFolder_[folder].push_back(&entry);
        (entry.script.empty() ? byProgram_ : byScript_)[file][entry.options].push_back(&entry);
    }
}

// No app takes the other programs of a folder many programs share, nor of one
// holding such a folder: its programs are claimed by name only.
bool AppClaims::shared(const std::string& folder) const
{
    const auto heldBy = [&](std::string_view shared) {
        return shared.starts_with(folder)
               && (shared.size() == folder.size() || folder.ends_with('/') || shared[folder.size()] == '/');
    };
    const auto programs = programsIn_.find(folder);
    return std::any_of(sharedFolders_.begin(), sharedFolders_.end(), heldBy)
           || (programs != programsIn_.end() && programs->second.size() > 1);
}

const DesktopApp* AppClaims::made(const AppEntry* entry) const
{
    const auto found = appOf_.find(entry);
    return found == appOf_.end() ? nullptr : found->second;
}

const DesktopApp* AppClaims::makeApp(const std::string& root, const Claimants& claimants, const AppEntry* named)
{
    if (!named)
        named = best(claimants);
    const auto& app = index_->apps_.emplace_back(DesktopApp{
        {root, named->name, named->service.empty() ? named->program : named->service, named->regular()},
        named->entry,
        named->runsOthers() && !named->terminalEmulator});
    index_->roots_.emplace(root, &app);
    for (const AppEntry* claimant : claimants)
        appOf_.emplace(claimant, &app);
    return &app;
}

void AppClaims::claimFolders()
{
    for (const auto& [folder, claimants] : byFolder_) {
        if (std::any_of(claimants.begin(), claimants.end(), [](const AppEntry* entry) { return entry->regular(); }))
            index_->folders_.emplace(folder, makeApp(folder, claimants));
        for (const AppEntry* hidden : claimants) {
            if (appOf_.contains(hidden) || !hidden->script.empty())
                continue;
            auto& claims = index_->programs_[hidden->program];
            if (claims.empty())
                claims.push_back({{}, makeApp(hidden->program, {hidden})});
            else
                appOf_.emplace(hidden, claims.front().app);
        }
    }
}

// Without a plain entry the program's processes in no entry's mode are left to its
// folder.
AppClaims::ModeClaims AppClaims::claimModes(const std::string& file, const Modes& modes)
{
    ModeClaims claims;
    if (const auto plain = modes.find({}); plain != modes.end()) {
        Claimants all;
        for (const auto& [options, claimants] : modes)
            all.insert(all.end(), claimants.begin(), claimants.end());
        if (claimsShared(plain->second)) {
            const DesktopApp* app = made(plain->second.front());
            claims.push_back({{}, app ? app : makeApp(file, all, best(plain->second))});
        }
        return claims;
    }
    for (const auto& [options, claimants] : modes) {
        if (claimsShared(claimants)) {
            const DesktopApp* app = made(claimants.front());
            claims.push_back({options, app ? app : makeApp(modeRoot(file, options), claimants)});
        }
    }
    return claims;
}

void AppClaims::claimPrograms()
{
    for (const auto& [path, modes] : byProgram_) {
        if (shared(folderOf(path)))
            index_->programs_[path] = claimModes(path, modes);
    }
}

void AppClaims::claimScripts()
{
    for (const auto& [script, modes] : byScript_) {
        auto claims = claimModes(script, modes);
        if (claims.empty())
            continue;
        for (const auto& [options, claimants] : modes) {
            for (const AppEntry* claimant : claimants) {
                index_->interpreters_.insert(claimant->program);
                for (const auto& name : claimant->script)
                    index_->scripts_.emplace(name, claims);
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
            app = makeApp(entry.id, {&entry});
        index_->entries_.emplace(entry.id, app);
        if (!entry.service.empty() && app->app.regular) {
            auto& claims = index_->programs_[entry.service];
            const bool known = std::any_of(claims.begin(), claims.end(), [&](const auto& claim) {
                return claim.options.empty() || claim.options == entry.serviceOptions;
            });
            if (!known)
                claims.push_back({entry.serviceOptions, app});
        }
    }
}

// A program a part of the session starts with options of its own (a file manager
// drawing the desktop) is no app's in that mode.
void AppClaims::claimSessionModes(const std::vector<StartedProgram>& sessionModes)
{
    for (const auto& mode : sessionModes) {
        auto& claims = index_->programs_[mode.path];
        claims.insert(claims.begin(), {mode.options, nullptr});
    }
}

// The longest mode a process's options begin with wins; the walk out from a program
// stops at the first shared folder.
void AppClaims::finish()
{
    for (auto* table : {&index_->programs_, &index_->scripts_}) {
        for (auto& [path, claims] : *table) {
            std::stable_sort(claims.begin(), claims.end(),
                             [](const auto& a, const auto& b) { return a.options.size() > b.options.size(); });
        }
    }
    for (const auto& folder : sharedFolders_)
        index_->folders_.emplace(folder, nullptr);
}

} // namespace corvane
