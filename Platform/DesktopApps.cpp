#include "Platform/DesktopApps.hpp"

#include "Core/Files.hpp"
#include "Core/Text.hpp"
#include "Platform/AppDataFolder.hpp"
#include "Platform/DesktopEntry.hpp"
#include "Platform/InstalledTool.hpp"
#include "Platform/LinuxWorkspace.hpp"

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
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

// Programs a person types commands into, and those that keep them running after
// the terminal closes: whatever runs in them is not the app whose unit they are in.
constexpr std::string_view shellNames[] = {
    "sh", "bash", "dash", "zsh", "ksh", "mksh", "fish", "csh", "tcsh", "busybox",
    "tmux", "screen", "zellij", "dtach", "abduco",
};

// Programs that run what they are given (shells, interpreters, launchers): an entry
// starting one is found by the script it runs or by its session unit, never by
// every process running that program.
constexpr std::string_view runnerNames[] = {
    "sh", "bash", "dash", "zsh", "ksh", "mksh", "fish", "csh", "tcsh", "busybox", "env", "node", "nodejs",
    "java", "gjs", "mono", "dotnet", "flatpak", "snap", "wine", "wine64",
};
constexpr std::string_view runnerPrefixes[] = {"python", "pypy", "perl", "ruby", "lua", "php", "tclsh", "wish"};

template <std::size_t N>
bool named(std::string_view path, const std::string_view (&names)[N])
{
    const auto name = path.substr(path.rfind('/') + 1);  // the whole path when it has no "/"
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

bool isRunner(std::string_view program)
{
    const auto name = Text::lastPathComponent(program);
    return named(program, runnerNames) || std::any_of(std::begin(runnerPrefixes), std::end(runnerPrefixes),
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

// The script an interpreter's arguments name: the first that is no option.
template <typename Strings>
auto scriptArgument(const Strings& options)
{
    return std::find_if(options.begin(), options.end(), [](std::string_view option) { return !option.starts_with('-'); });
}

// The words of a script's "#!" line, or none when the file is no script.
std::vector<std::string> shebang(const std::string& file)
{
    // The kernel reads no more of the line than this.
    std::array<char, 256> head{};
    std::ifstream in(file, std::ios::binary);
    in.read(head.data(), head.size());
    const auto text = std::string_view(head.data(), static_cast<std::size_t>(in.gcount()));
    if (!text.starts_with("#!"))
        return {};
    const auto line = text.substr(2, text.find('\n') - 2);
    std::vector<std::string> words;
    for (const auto word : Text::splitSkippingEmpty(line, ' '))
        words.emplace_back(Text::trim(word));
    std::erase_if(words, [](const std::string& word) { return word.empty(); });
    return words;
}

bool isTerminalEmulator(std::string_view categories)
{
    const auto names = Text::splitSkippingEmpty(categories, ';');
    return std::find(names.begin(), names.end(), "TerminalEmulator") != names.end();
}

// The root of an app that is one mode of a shared program: "/usr/bin/x --mode".
std::string modeRoot(std::string root, const std::vector<std::string>& options)
{
    for (const auto& option : options)
        root.append(" ").append(option);
    return root;
}

// Whether a process's options begin with a mode's.
bool startsWith(const std::vector<std::string_view>& options, const std::vector<std::string>& mode)
{
    return mode.size() <= options.size() && std::equal(mode.begin(), mode.end(), options.begin());
}

} // namespace

// What an Exec line starts: the program a process of it runs (for a script, its
// interpreter), with the literal options after it.
struct DesktopApps::Program {
    std::string path;                  // resolved; empty when it could not be found
    std::vector<std::string> options;  // for a script, those after the script
    std::vector<std::string> script;   // the script, as found and as resolved; empty for none

    bool runsOthers() const { return !script.empty() || isRunner(path); }
};

namespace {

// What one desktop entry says about its app.
struct Candidate {
    std::string id;
    std::string name;
    std::string program;            // for a script, its interpreter
    std::vector<std::string> options;
    std::vector<std::string> script;
    std::string service;            // the program D-Bus starts for the entry, if any
    std::vector<std::string> serviceOptions;
    bool displayed = true;
    bool terminal = false;          // runs in a terminal rather than a window of its own
    bool terminalEmulator = false;  // is one
    fs::path entry;

    bool regular() const { return displayed && !terminal; }
    bool runsOthers() const { return !script.empty() || (!program.empty() && isRunner(program)); }
    // The file whose processes are the app's: its script, else its program; empty when
    // it starts a bare shell or launcher, or nothing that could be found.
    std::string ownFile() const
    {
        if (!script.empty())
            return script.back();
        return program.empty() || isRunner(program) ? std::string() : program;
    }
};

// The entry that names an app claimed by several: a shown one before a hidden one,
// then the shortest name (a suite's own entry over its components': "LibreOffice"
// over "LibreOffice Writer"), then the first in precedence order.
bool preferred(const Candidate* a, const Candidate* b)
{
    if (a->displayed != b->displayed)
        return a->displayed;
    return a->name.size() < b->name.size();
}

const Candidate* best(const std::vector<const Candidate*>& claimants)
{
    return *std::min_element(claimants.begin(), claimants.end(), preferred);
}

// Among the programs of a shared folder only an app a person starts claims its
// processes: not a part of the session, nor a terminal program.
bool claimsShared(const std::vector<const Candidate*>& claimants)
{
    return best(claimants)->regular();
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

const InstalledApp* DesktopAppIndex::owner(const ProcessIdentity& process) const
{
    const auto path = process.path;
    // Split only for the few processes whose program an entry names: this runs for
    // every process on every tick.
    std::vector<std::string_view> options;
    // The first claim whose options the process's begin with; none is a part of the session.
    const auto claimed = [&](const std::vector<ModeClaim>& claims) -> const InstalledApp* {
        for (const auto& claim : claims) {
            if (startsWith(options, claim.options))
                return claim.app ? &claim.app->app : nullptr;
        }
        return nullptr;
    };
    if (interpreters_.contains(path)) {
        options = process.options();
        if (const auto script = scriptArgument(options); script != options.end()) {
            if (const auto found = scripts_.find(*script); found != scripts_.end()) {
                options.erase(options.begin(), script + 1);
                return claimed(found->second);
            }
        }
    }
    // A program an entry names is that entry's in its modes, and no other app's.
    if (const auto found = programs_.find(path); found != programs_.end()) {
        options = process.options();
        return claimed(found->second);
    }
    // From the program's folder outwards: a folder is never a program's own path.
    if (path.starts_with('/')) {
        for (auto end = path.rfind('/'); end != std::string_view::npos && end > 0; end = path.rfind('/', end - 1)) {
            if (const auto found = folders_.find(path.substr(0, end)); found != folders_.end())
                return &found->second->app;
        }
    }
    if (process.scope.empty() || named(path, shellNames))
        return nullptr;
    const auto found = entries_.find(process.scope);
    return found != entries_.end() && found->second->unitDecides ? &found->second->app : nullptr;
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

DesktopApps::Places DesktopApps::session(const Environment& environment, const fs::path& root)
{
    const auto variable = [&](const char* name) {
        const char* value = environment(name);
        return std::string(value ? value : "");
    };
    Places places;
    places.applicationFolders = LinuxWorkspace::xdgApplicationFolders(environment);
    auto configDirs = variable("XDG_CONFIG_DIRS");
    if (configDirs.empty())
        configDirs = (root / "etc/xdg").string();
    for (const auto dir : Text::splitSkippingEmpty(configDirs, ':')) {
        if (dir.starts_with('/'))
            places.configFolders.emplace_back(dir);
    }
    places.searchPath = Platform::searchPath(variable("PATH"));
    for (const auto folder : systemSharedFolders)
        places.sharedFolders.push_back(root / fs::path(folder).relative_path());
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

DesktopApps::Program DesktopApps::program(const std::vector<std::string>& arguments) const
{
    Program result;
    if (arguments.empty())
        return result;
    result.path = resolve(arguments.front());
    result.options.assign(arguments.begin() + 1, arguments.end());
    if (result.path.empty())
        return result;
    // A script runs as its interpreter with the script's path among the arguments.
    if (auto words = shebang(result.path); !words.empty()) {
        std::string found = arguments.front();
        if (found.find('/') == std::string::npos) {
            const auto inPath = Platform::findProgram(found, places_.searchPath);
            found = inPath ? inPath->string() : result.path;
        }
        result.script = {found, result.path};
        // "#!/usr/bin/env python3": the interpreter is the first word env would run.
        if (Text::lastPathComponent(words.front()) == "env") {
            words.erase(words.begin());
            std::erase_if(words, [](const std::string& word) { return word.starts_with('-') || word.find('=') != std::string::npos; });
        }
        result.path = words.empty() ? std::string() : resolve(words.front());
        return result;
    }
    // "python3 /opt/x/x.py": an interpreter given a script of its own.
    if (isRunner(result.path)) {
        const auto script = scriptArgument(result.options);
        if (script != result.options.end() && script->starts_with('/')) {
            if (auto resolved = resolvedPath(*script); !resolved.empty() && fs::is_regular_file(resolved)) {
                result.script = {*script, resolved};
                result.options.erase(result.options.begin(), script + 1);
            }
        }
    }
    return result;
}

bool DesktopApps::isShared(const fs::path& folder) const
{
    return std::find(places_.sharedFolders.begin(), places_.sharedFolders.end(), folder) != places_.sharedFolders.end();
}

std::shared_ptr<const DesktopAppIndex> DesktopApps::read(std::vector<Stamp>& stamps) const
{
    // Every entry id once, from the folder of highest precedence; an entry that is
    // Hidden or whose TryExec program is missing hides the same id further down.
    const auto walk = [&](const fs::path& folder, const std::function<void(std::string, const fs::path&)>& visit) {
        stamps.push_back(Stamp::of(folder));
        std::error_code error;
        fs::recursive_directory_iterator items(folder, fs::directory_options::skip_permission_denied, error);
        for (; !error && items != fs::recursive_directory_iterator(); items.increment(error)) {
            const auto& item = *items;
            std::error_code unreadable;  // a broken link is skipped, not the end of the walk
            if (item.is_directory(unreadable)) {
                if (items.depth() + 1 >= maxFolderDepth)
                    items.disable_recursion_pending();
                else
                    stamps.push_back(Stamp::of(item.path()));
                continue;
            }
            if (item.path().extension() != ".desktop" || !item.is_regular_file(unreadable))
                continue;
            std::string id = item.path().lexically_relative(folder).replace_extension().string();
            std::replace(id.begin(), id.end(), '/', '-');
            visit(std::move(id), item.path());
        }
    };
    const auto usable = [&](const DesktopEntry::Keys& keys) {
        const auto tryExec = DesktopEntry::value(keys, "TryExec");
        return !DesktopEntry::isTrue(keys, "Hidden") && DesktopEntry::value(keys, "Type") == "Application"
               && (tryExec.empty() || !resolve(tryExec).empty());
    };

    std::set<std::string, std::less<>> seen;
    std::deque<Candidate> candidates;
    for (const auto& folder : places_.applicationFolders) {
        const auto services = folder.parent_path() / "dbus-1/services";
        stamps.push_back(Stamp::of(services));
        walk(folder, [&](std::string id, const fs::path& file) {
            if (!seen.insert(id).second)
                return;
            const auto keys = DesktopEntry::read(file);
            if (!usable(keys))
                return;
            auto started = program(DesktopEntry::execArguments(DesktopEntry::value(keys, "Exec")));
            Candidate candidate{id,
                                DesktopEntry::value(keys, "Name"),
                                std::move(started.path),
                                std::move(started.options),
                                std::move(started.script),
                                {},
                                {},
                                !DesktopEntry::isTrue(keys, "NoDisplay"),
                                DesktopEntry::isTrue(keys, "Terminal"),
                                isTerminalEmulator(DesktopEntry::value(keys, "Categories")),
                                file};
            if (candidate.name.empty())
                candidate.name = id;
            // The D-Bus service named as the app (its bus name) starts the app's own
            // process, which need not run the program its Exec starts: a terminal's
            // server, a D-Bus activated app.
            const auto service = DesktopEntry::read(services / (id + ".service"), "D-BUS Service");
            auto served = program(DesktopEntry::execArguments(DesktopEntry::value(service, "Exec")));
            if (!served.path.empty() && !served.runsOthers()) {
                candidate.service = std::move(served.path);
                candidate.serviceOptions = std::move(served.options);
            }
            candidates.push_back(std::move(candidate));
        });
    }

    auto index = std::make_shared<DesktopAppIndex>();
    std::map<const Candidate*, const DesktopApp*> appOf;
    // `named`: the entry that names it, the best of the claimants unless given.
    const auto makeApp = [&](const std::string& root, const std::vector<const Candidate*>& claimants,
                             const Candidate* named = nullptr) {
        if (!named)
            named = best(claimants);
        const auto& app = index->apps_.emplace_back(DesktopApp{
            {root, named->name, named->service.empty() ? named->program : named->service, named->regular()},
            named->entry,
            named->runsOthers() && !named->terminalEmulator});
        index->roots_.emplace(root, &app);
        for (const Candidate* claimant : claimants)
            appOf.emplace(claimant, &app);
        return &app;
    };

    // A folder the different programs of several entries lie in (a libexec folder, a
    // runtime's bin) is shared too: no app takes the others' programs with it.
    std::map<fs::path, std::set<std::string>> programsIn;
    for (const auto& candidate : candidates) {
        if (auto file = candidate.ownFile(); !file.empty())
            programsIn[fs::path(file).parent_path()].insert(std::move(file));
    }
    const auto shared = [&](const fs::path& folder) { return isShared(folder) || programsIn[folder].size() > 1; };

    // Apps by the folder of their own they run from; the programs and scripts of
    // shared folders by program and then by mode.
    std::map<std::string, std::vector<const Candidate*>> byFolder;
    using Modes = std::map<std::vector<std::string>, std::vector<const Candidate*>>;
    std::map<std::string, Modes> byProgram, byScript;
    for (const auto& candidate : candidates) {
        const auto file = candidate.ownFile();
        if (file.empty())
            continue;
        const auto folder = fs::path(file).parent_path();
        if (!shared(folder))
            byFolder[folder.string()].push_back(&candidate);
        (candidate.script.empty() ? byProgram : byScript)[file][candidate.options].push_back(&candidate);
    }
    // A folder only an entry the desktop keeps hidden names (a settings daemon's, say)
    // is no app's: it may hold the session's other programs. Its program is.
    for (const auto& [folder, claimants] : byFolder) {
        if (std::any_of(claimants.begin(), claimants.end(), [](const Candidate* c) { return c->regular(); }))
            index->folders_.emplace(folder, makeApp(folder, claimants));
        for (const Candidate* hidden : claimants) {
            if (appOf.contains(hidden) || !hidden->script.empty())
                continue;
            auto& claims = index->programs_[hidden->program];
            if (claims.empty())
                claims.push_back({{}, makeApp(hidden->program, {hidden})});
            else
                appOf.emplace(hidden, claims.front().app);
        }
    }
    // A plain entry names the program's app in every mode; without one each mode is
    // an app of its own, and the program's other processes are no app's.
    const auto claimModes = [&](const std::string& file, const Modes& modes) {
        std::vector<DesktopAppIndex::ModeClaim> claims;
        if (const auto plain = modes.find({}); plain != modes.end()) {
            std::vector<const Candidate*> all;
            for (const auto& [options, claimants] : modes)
                all.insert(all.end(), claimants.begin(), claimants.end());
            if (claimsShared(plain->second)) {
                const auto found = appOf.find(plain->second.front());
                claims.push_back({{}, found != appOf.end() ? found->second : makeApp(file, all, best(plain->second))});
            }
            return claims;
        }
        for (const auto& [options, claimants] : modes) {
            if (claimsShared(claimants)) {
                const auto found = appOf.find(claimants.front());
                claims.push_back({options, found != appOf.end() ? found->second : makeApp(modeRoot(file, options), claimants)});
            }
        }
        return claims;
    };
    for (const auto& [path, modes] : byProgram) {
        if (!shared(fs::path(path).parent_path()))
            continue;
        index->programs_[path] = claimModes(path, modes);
    }
    for (const auto& [script, modes] : byScript) {
        auto claims = claimModes(script, modes);
        if (claims.empty())
            continue;
        for (const auto& [options, claimants] : modes) {
            for (const Candidate* claimant : claimants) {
                index->interpreters_.insert(claimant->program);
                for (const auto& name : claimant->script)
                    index->scripts_.emplace(name, claims);
            }
        }
    }
    // An entry whose program cannot be told apart is still its app where a session unit names it.
    for (const auto& candidate : candidates) {
        const auto found = appOf.find(&candidate);
        const DesktopApp* app = found != appOf.end() ? found->second : makeApp(candidate.id, {&candidate});
        index->entries_.emplace(candidate.id, app);
        if (!candidate.service.empty() && app->app.regular) {
            auto& claims = index->programs_[candidate.service];
            const bool known = std::any_of(claims.begin(), claims.end(), [&](const auto& claim) {
                return claim.options.empty() || claim.options == candidate.serviceOptions;
            });
            if (!known)
                claims.push_back({candidate.serviceOptions, app});
        }
    }
    readSessionModes(*index, stamps);
    for (auto* table : {&index->programs_, &index->scripts_}) {
        for (auto& [path, claims] : *table) {
            std::stable_sort(claims.begin(), claims.end(),
                             [](const auto& a, const auto& b) { return a.options.size() > b.options.size(); });
        }
    }
    return index;
}

// The system's autostart entries and a session's own autostart lists ("@pcmanfm
// --desktop") start the parts of the session. One that starts an app's program
// with options of its own (a file manager drawing the desktop) names a mode that is
// no app's.
void DesktopApps::readSessionModes(DesktopAppIndex& index, std::vector<Stamp>& stamps) const
{
    const auto sessionMode = [&](const std::vector<std::string>& arguments) {
        auto started = program(arguments);
        if (started.path.empty() || started.runsOthers() || started.options.empty())
            return;
        auto& claims = index.programs_[started.path];
        claims.insert(claims.begin(), {std::move(started.options), nullptr});
    };
    for (const auto& folder : places_.configFolders) {
        const auto autostart = folder / "autostart";
        stamps.push_back(Stamp::of(autostart));
        std::error_code error;
        for (fs::directory_iterator items(autostart, error); !error && items != fs::directory_iterator();
             items.increment(error)) {
            if (items->path().extension() == ".desktop")
                sessionMode(DesktopEntry::execArguments(DesktopEntry::value(DesktopEntry::read(items->path()), "Exec")));
        }
        const auto sessions = folder / "lxsession";
        stamps.push_back(Stamp::of(sessions));
        for (fs::directory_iterator items(sessions, error); !error && items != fs::directory_iterator();
             items.increment(error)) {
            const auto list = Files::read(items->path() / "autostart", 64 * 1024);
            for (const auto line : Text::splitSkippingEmpty(list.value_or(""), '\n')) {
                const auto command = Text::trim(line);
                if (!command.empty() && !command.starts_with('#'))
                    sessionMode(DesktopEntry::execArguments(command.starts_with('@') ? command.substr(1) : command));
            }
        }
    }
}

} // namespace corvane
