#include "Platform/DesktopApps.hpp"

#include "Core/Text.hpp"
#include "Platform/AppDataFolder.hpp"
#include "Platform/DesktopEntry.hpp"
#include "Platform/InstalledTool.hpp"
#include "Platform/LinuxWorkspace.hpp"

#include <algorithm>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace corvane {

namespace {

// Folders that hold the programs or the folders of many packages.
constexpr std::string_view systemSharedFolders[] = {
    "/",          "/bin",           "/sbin",         "/lib",           "/lib64",
    "/usr",       "/usr/bin",       "/usr/sbin",     "/usr/games",     "/usr/libexec",
    "/usr/lib",   "/usr/lib32",     "/usr/lib64",    "/usr/libx32",    "/usr/share",
    "/usr/local", "/usr/local/bin", "/usr/local/sbin", "/usr/local/games", "/usr/local/libexec",
    "/usr/local/lib", "/usr/local/share", "/usr/lib/x86_64-linux-gnu", "/usr/lib/aarch64-linux-gnu",
    "/usr/lib/i386-linux-gnu", "/opt", "/snap/bin", "/var/lib/flatpak/exports/bin", "/tmp", "/var/tmp",
};

// Programs that run what they are given (shells, interpreters, launchers): an entry
// starting one is found by its session unit only, never by the processes running it.
constexpr std::string_view runnerNames[] = {
    "sh", "bash", "dash", "zsh", "ksh", "mksh", "fish", "csh", "tcsh", "busybox", "env", "node", "nodejs",
    "java", "gjs", "mono", "dotnet", "flatpak", "snap", "wine", "wine64",
};
constexpr std::string_view runnerPrefixes[] = {"python", "pypy", "perl", "ruby", "lua", "php", "tclsh", "wish"};

bool isRunner(const std::string& program)
{
    const auto name = Text::lastPathComponent(program);
    return std::find(std::begin(runnerNames), std::end(runnerNames), name) != std::end(runnerNames)
           || std::any_of(std::begin(runnerPrefixes), std::end(runnerPrefixes),
                          [&](std::string_view prefix) { return name.starts_with(prefix); });
}

// Deep enough for the vendor subfolders some packages use ("kde4/").
constexpr int maxFolderDepth = 3;

std::string resolvedPath(const fs::path& path)
{
    std::error_code error;
    auto resolved = fs::canonical(path, error);
    return error ? std::string() : resolved.string();
}

// What one desktop entry says about its app.
struct Candidate {
    std::string id;
    std::string name;
    std::string program;  // resolved; empty when it could not be found
    bool displayed = true;
    bool terminal = false;  // runs in a terminal rather than a window of its own

    bool regular() const { return displayed && !terminal; }
    fs::path entry;
};

// The entry that names an app claimed by several: a shown one before a hidden one,
// then the shortest name (a suite's own entry over its components': "LibreOffice"
// over "LibreOffice Writer"), then the first in precedence order.
bool preferred(const Candidate& a, const Candidate& b)
{
    if (a.displayed != b.displayed)
        return a.displayed;
    return a.name.size() < b.name.size();
}

} // namespace

DesktopApps::Stamp DesktopApps::Stamp::of(const fs::path& folder)
{
    Stamp stamp{folder};
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        stamp.exists = true;
        stamp.seconds = info.st_mtim.tv_sec;
        stamp.nanoseconds = info.st_mtim.tv_nsec;
        stamp.inode = info.st_ino;
    }
    return stamp;
}

const InstalledApp* DesktopAppIndex::owner(std::string_view path, std::string_view scope) const
{
    if (!scope.empty()) {
        if (const auto found = entries_.find(scope); found != entries_.end())
            return &found->second->app;
    }
    // Roots that are entry ids never start with "/", so they cannot match a path.
    if (!path.starts_with('/'))
        return nullptr;
    for (auto end = path.size(); end > 1; end = path.rfind('/', end - 1)) {
        if (const auto found = roots_.find(path.substr(0, end)); found != roots_.end())
            return &found->second->app;
    }
    return nullptr;
}

const DesktopApp* DesktopAppIndex::byEntry(std::string_view id) const
{
    const auto found = entries_.find(id);
    return found == entries_.end() ? nullptr : found->second;
}

const DesktopApp* DesktopAppIndex::byRoot(std::string_view root) const
{
    const auto found = roots_.find(root);
    return found == roots_.end() ? nullptr : found->second;
}

DesktopApps::Places DesktopApps::session(const Environment& environment)
{
    const auto variable = [&](const char* name) {
        const char* value = environment(name);
        return std::string(value ? value : "");
    };
    Places places;
    places.applicationFolders = LinuxWorkspace::xdgApplicationFolders(environment);
    places.searchPath = Platform::searchPath(variable("PATH"));
    places.sharedFolders.assign(std::begin(systemSharedFolders), std::end(systemSharedFolders));
    places.sharedFolders.insert(places.sharedFolders.end(), places.searchPath.begin(), places.searchPath.end());
    if (const auto home = variable("HOME"); home.starts_with('/'))
        places.sharedFolders.emplace_back(home);
    return places;
}

DesktopApps::DesktopApps(Places places) : places_(std::move(places))
{
    // Compared with resolved program paths, so resolved too: /bin is /usr/bin on most systems.
    for (auto& folder : places_.sharedFolders) {
        if (auto resolved = resolvedPath(folder); !resolved.empty())
            folder = std::move(resolved);
    }
}

const std::shared_ptr<DesktopApps>& DesktopApps::shared()
{
    static const auto apps = std::make_shared<DesktopApps>(session());
    return apps;
}

std::shared_ptr<const DesktopAppIndex> DesktopApps::current()
{
    std::lock_guard lock(mutex_);
    const bool changed = !index_ || std::any_of(stamps_.begin(), stamps_.end(), [](const Stamp& stamp) {
        return Stamp::of(stamp.folder) != stamp;
    });
    if (changed) {
        std::vector<Stamp> stamps;
        index_ = read(stamps);
        stamps_ = std::move(stamps);
    }
    return index_;
}

std::string DesktopApps::resolve(std::string_view program) const
{
    if (program.empty())
        return {};
    if (program.find('/') != std::string_view::npos)
        return program.starts_with('/') && Platform::isExecutableFile(program) ? resolvedPath(program) : std::string();
    const auto found = Platform::findProgram(program, places_.searchPath);
    return found ? resolvedPath(*found) : std::string();
}

std::shared_ptr<const DesktopAppIndex> DesktopApps::read(std::vector<Stamp>& stamps) const
{
    // Every entry id once, from the folder of highest precedence; an entry that is
    // Hidden or whose TryExec program is missing hides the same id further down.
    std::set<std::string, std::less<>> seen;
    std::vector<Candidate> candidates;
    for (const auto& folder : places_.applicationFolders) {
        stamps.push_back(Stamp::of(folder));
        std::error_code error;
        fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied, error);
        for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
            const auto& item = *walk;
            std::error_code unreadable;  // a broken link is skipped, not the end of the walk
            if (item.is_directory(unreadable)) {
                if (walk.depth() + 1 >= maxFolderDepth)
                    walk.disable_recursion_pending();
                else
                    stamps.push_back(Stamp::of(item.path()));
                continue;
            }
            if (item.path().extension() != ".desktop" || !item.is_regular_file(unreadable))
                continue;
            std::string id = item.path().lexically_relative(folder).replace_extension().string();
            std::replace(id.begin(), id.end(), '/', '-');
            if (!seen.insert(id).second)
                continue;
            const auto keys = DesktopEntry::read(item.path());
            if (DesktopEntry::isTrue(keys, "Hidden") || DesktopEntry::value(keys, "Type") != "Application")
                continue;
            if (const auto tryExec = DesktopEntry::value(keys, "TryExec"); !tryExec.empty() && resolve(tryExec).empty())
                continue;
            const auto arguments = DesktopEntry::execArguments(DesktopEntry::value(keys, "Exec"));
            Candidate candidate{id, DesktopEntry::value(keys, "Name"),
                                arguments.empty() ? std::string() : resolve(arguments.front()),
                                !DesktopEntry::isTrue(keys, "NoDisplay"), DesktopEntry::isTrue(keys, "Terminal"),
                                item.path()};
            if (candidate.name.empty())
                candidate.name = id;
            candidates.push_back(std::move(candidate));
        }
    }

    // A folder the different programs of several entries lie in (a libexec folder, a
    // runtime's bin) is shared too: no app takes the others' programs with it.
    std::map<fs::path, std::set<std::string>> programsIn;
    for (const auto& candidate : candidates) {
        if (!candidate.program.empty() && !isRunner(candidate.program))
            programsIn[fs::path(candidate.program).parent_path()].insert(candidate.program);
    }

    // The entries claiming each root, in precedence order.
    std::map<std::string, std::vector<const Candidate*>> claims;
    std::set<std::string> programRoots;
    for (const auto& candidate : candidates) {
        if (candidate.program.empty() || isRunner(candidate.program))
            continue;
        const auto folder = fs::path(candidate.program).parent_path();
        const bool shared = programsIn[folder].size() > 1
                            || std::find(places_.sharedFolders.begin(), places_.sharedFolders.end(), folder)
                                   != places_.sharedFolders.end();
        const std::string root = shared ? candidate.program : folder.string();
        if (shared)
            programRoots.insert(root);
        claims[root].push_back(&candidate);
    }

    auto index = std::make_shared<DesktopAppIndex>();
    std::map<const Candidate*, const DesktopApp*> appOf;
    for (const auto& [root, claimants] : claims) {
        const Candidate* best = *std::min_element(claimants.begin(), claimants.end(),
                                                  [](const Candidate* a, const Candidate* b) { return preferred(*a, *b); });
        // Among the programs of a shared folder only an app a person starts claims its
        // processes (not a part of the session, nor a terminal program), and a program
        // several such apps start is a launcher, not an app: its processes stay
        // unclaimed, its entries known by id alone.
        if (programRoots.contains(root)) {
            const auto regulars =
                std::count_if(claimants.begin(), claimants.end(), [](const Candidate* c) { return c->regular(); });
            if (!best->regular() || regulars > 1)
                continue;
        }
        const auto& app = index->apps_.emplace_back(DesktopApp{{root, best->name, best->program, best->regular()}, best->entry});
        index->roots_.emplace(root, &app);
        for (const Candidate* claimant : claimants)
            appOf.emplace(claimant, &app);
    }
    // An entry whose program cannot be told apart is still its app where a session unit names it.
    for (const auto& candidate : candidates) {
        const DesktopApp* app = nullptr;
        if (const auto found = appOf.find(&candidate); found != appOf.end()) {
            app = found->second;
        } else {
            app = &index->apps_.emplace_back(
                DesktopApp{{candidate.id, candidate.name, candidate.program, candidate.regular()}, candidate.entry});
            index->roots_.emplace(candidate.id, app);
        }
        index->entries_.emplace(candidate.id, app);
    }
    return index;
}

} // namespace corvane
