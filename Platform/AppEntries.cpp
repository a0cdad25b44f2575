#include "Platform/AppEntries.hpp"

#include "Core/Files.hpp"
#include "Core/Text.hpp"
#include "Platform/DesktopEntry.hpp"
#include "Platform/InstalledTool.hpp"

#include <algorithm>
#include <set>
#include <utility>

namespace fs = std::filesystem;

namespace corvane::AppEntries {
namespace {

// Deep enough for the vendor subfolders some packages use ("kde4/").
constexpr int maxFolderDepth = 3;

// The ".desktop" files of an applications folder with their entry ids, its
// subfolders stamped as they are found.
std::vector<std::pair<std::string, fs::path>> entryFiles(const fs::path& folder, std::vector<FolderStamp>& stamps)
{
    std::vector<std::pair<std::string, fs::path>> files;
    stamps.push_back(FolderStamp::of(folder));
    std::error_code error;
    fs::recursive_directory_iterator items(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && items != fs::recursive_directory_iterator(); items.increment(error)) {
        const auto& item = *items;
        std::error_code unreadable;  // a broken link is skipped, not the end of the walk
        if (item.is_directory(unreadable)) {
            if (items.depth() + 1 >= maxFolderDepth)
                items.disable_recursion_pending();
            else
                stamps.push_back(FolderStamp::of(item.path()));
            continue;
        }
        if (item.path().extension() != ".desktop" || !item.is_regular_file(unreadable))
            continue;
        std::string id = item.path().lexically_relative(folder).replace_extension().string();
        std::replace(id.begin(), id.end(), '/', '-');
        files.emplace_back(std::move(id), item.path());
    }
    return files;
}

// An application's entry the desktop would show or start.
bool usable(const DesktopEntry::Keys& keys, const std::vector<fs::path>& searchPath)
{
    const auto tryExec = DesktopEntry::value(keys, "TryExec");
    return !DesktopEntry::isTrue(keys, "Hidden") && DesktopEntry::value(keys, "Type") == "Application"
           && (tryExec.empty() || !Platform::resolvedProgram(tryExec, searchPath).empty());
}

bool isTerminalEmulator(std::string_view categories)
{
    const auto names = Text::splitSkippingEmpty(categories, ';');
    return std::find(names.begin(), names.end(), "TerminalEmulator") != names.end();
}

StartedProgram startedBy(std::string_view exec, const std::vector<fs::path>& searchPath)
{
    return StartedProgram::of(DesktopEntry::execArguments(exec), searchPath);
}

AppEntry entryOf(std::string id, const fs::path& file, const DesktopEntry::Keys& keys,
                 const std::vector<fs::path>& searchPath)
{
    AppEntry entry{.id = std::move(id),
                   .name = DesktopEntry::value(keys, "Name"),
                   .exec = startedBy(DesktopEntry::value(keys, "Exec"), searchPath),
                   .service = {},
                   .displayed = !DesktopEntry::isTrue(keys, "NoDisplay"),
                   .terminal = DesktopEntry::isTrue(keys, "Terminal"),
                   .terminalEmulator = isTerminalEmulator(DesktopEntry::value(keys, "Categories")),
                   .entry = file};
    if (entry.name.empty())
        entry.name = entry.id;
    return entry;
}

// The D-Bus service named as the app (its bus name) starts the app's own process,
// which need not run the program its Exec starts: a terminal's server, a D-Bus
// activated app.
void readService(AppEntry& entry, const fs::path& services, const std::vector<fs::path>& searchPath)
{
    const auto service = DesktopEntry::read(services / (entry.id + ".service"), "D-BUS Service");
    auto served = startedBy(DesktopEntry::value(service, "Exec"), searchPath);
    if (!served.path.empty() && !served.runsOthers())
        entry.service = std::move(served);
}

// A program a part of the session starts with options of its own.
void addSessionMode(std::vector<StartedProgram>& modes, StartedProgram started)
{
    if (!started.path.empty() && !started.runsOthers() && !started.options.empty())
        modes.push_back(std::move(started));
}

} // namespace

std::vector<AppEntry> read(const std::vector<fs::path>& applicationFolders, const std::vector<fs::path>& searchPath,
                           std::vector<FolderStamp>& stamps)
{
    std::set<std::string, std::less<>> seen;
    std::vector<AppEntry> entries;
    for (const auto& folder : applicationFolders) {
        const auto services = folder.parent_path() / "dbus-1/services";
        stamps.push_back(FolderStamp::of(services));
        for (auto& [id, file] : entryFiles(folder, stamps)) {
            if (!seen.insert(id).second)
                continue;
            const auto keys = DesktopEntry::read(file);
            if (!usable(keys, searchPath))
                continue;
            auto& entry = entries.emplace_back(entryOf(std::move(id), file, keys, searchPath));
            readService(entry, services, searchPath);
        }
    }
    return entries;
}

std::vector<StartedProgram> sessionModes(const std::vector<fs::path>& configFolders,
                                         const std::vector<fs::path>& searchPath, std::vector<FolderStamp>& stamps)
{
    std::vector<StartedProgram> modes;
    for (const auto& folder : configFolders) {
        const auto autostart = folder / "autostart";
        stamps.push_back(FolderStamp::of(autostart));
        std::error_code error;
        for (fs::directory_iterator items(autostart, error); !error && items != fs::directory_iterator();
             items.increment(error)) {
            if (items->path().extension() == ".desktop") {
                const auto exec = DesktopEntry::value(DesktopEntry::read(items->path()), "Exec");
                addSessionMode(modes, startedBy(exec, searchPath));
            }
        }
        const auto sessions = folder / "lxsession";
        stamps.push_back(FolderStamp::of(sessions));
        for (fs::directory_iterator items(sessions, error); !error && items != fs::directory_iterator();
             items.increment(error)) {
            const auto list = Files::read(items->path() / "autostart", 64 * 1024);
            for (const auto line : Text::splitSkippingEmpty(list.value_or(""), '\n')) {
                const auto command = Text::trim(line);
                // "@" asks the session to start it again when it ends.
                if (!command.empty() && !command.starts_with('#'))
                    addSessionMode(modes, startedBy(command.starts_with('@') ? command.substr(1) : command,
                                                    searchPath));
            }
        }
    }
    return modes;
}

} // namespace corvane::AppEntries
