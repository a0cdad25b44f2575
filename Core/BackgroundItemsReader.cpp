#include "Core/BackgroundItemsReader.hpp"

#include "Core/AppGrouper.hpp"
#include "Core/Files.hpp"
#include "Core/Numbers.hpp"
#include "Core/PropertyList.hpp"
#include "Core/Text.hpp"

#include <unordered_map>

namespace fs = std::filesystem;

namespace corvane::BackgroundItemsReader {
namespace {

// The entries of a folder whose extension is exactly `extension`, in the order the
// file system lists them; none when the folder cannot be listed.
std::vector<fs::path> entries(const fs::path& folder, std::string_view extension)
{
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->path().extension() == extension)
            found.push_back(it->path());
    }
    return found;
}

// Notes.app gives Notes.
std::string appName(std::string_view bundlePath)
{
    return fs::path(Text::lastPathComponent(bundlePath)).stem().string();
}

std::vector<BackgroundItem> plists(const fs::path& folder, ItemScope scope,
                                   const std::optional<std::string>& bundleRoot)
{
    std::vector<BackgroundItem> items;
    for (const auto& file : entries(folder, ".plist")) {
        const auto bytes = Files::read(file, PropertyList::maxBytes);
        if (!bytes)
            continue;
        if (auto item = parse(*bytes, file.string(), scope, bundleRoot))
            items.push_back(std::move(*item));
    }
    return items;
}

void appendLoginItems(const fs::path& folder, const std::string& owner, std::vector<BackgroundItem>& items)
{
    for (const auto& loginItem : entries(folder, ".app")) {
        const auto info = PropertyList::read(loginItem / "Contents/Info.plist");
        if (!info)
            continue;
        auto identifier = info->text("CFBundleIdentifier");
        if (!identifier)
            continue;
        BackgroundItem item;
        item.label = std::move(*identifier);
        if (const auto executable = info->text("CFBundleExecutable"))
            item.program = loginItem.string() + "/Contents/MacOS/" + *executable;
        item.source = loginItem.string();
        item.scope = ItemScope::appBundled;
        item.ownerApp = owner;
        item.runAtLoad = true;
        item.keepAlive = false;
        items.push_back(std::move(item));
    }
}

// How many leading components two dotted names share.
std::size_t sharedPrefix(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b)
{
    std::size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

} // namespace

std::vector<BackgroundItem> scan(const fs::path& home, const fs::path& root)
{
    const auto apps = entries(root / "Applications", ".app");

    std::map<std::string, std::string> installed;
    for (const auto& app : apps) {
        const auto info = PropertyList::read(app / "Contents/Info.plist");
        if (const auto identifier = info ? info->text("CFBundleIdentifier") : std::nullopt)
            installed[*identifier] = appName(app.string());
    }

    std::vector<BackgroundItem> items;
    const std::pair<fs::path, ItemScope> systemFolders[] = {
        {home / "Library/LaunchAgents", ItemScope::userAgent},
        {root / "Library/LaunchAgents", ItemScope::systemAgent},
        {root / "Library/LaunchDaemons", ItemScope::systemDaemon},
    };
    for (const auto& [folder, scope] : systemFolders) {
        for (auto& item : plists(folder, scope, std::nullopt)) {
            item.ownerApp = ownerApp(item.program, item.label, installed);
            items.push_back(std::move(item));
        }
    }

    for (const auto& app : apps) {
        const std::string name = appName(app.string());
        const fs::path library = app / "Contents/Library";
        for (const char* jobs : {"LaunchAgents", "LaunchDaemons"}) {
            for (auto& item : plists(library / jobs, ItemScope::appBundled, app.string())) {
                item.ownerApp = name;
                items.push_back(std::move(item));
            }
        }
        appendLoginItems(library / "LoginItems", name, items);
    }
    return items;
}

std::optional<BackgroundItem> parse(std::string_view plist, const std::string& source, ItemScope scope,
                                    const std::optional<std::string>& bundleRoot)
{
    const auto list = PropertyList::dictionary(plist);
    if (!list)
        return std::nullopt;
    auto label = list->text("Label");
    if (!label)
        return std::nullopt;

    BackgroundItem item;
    item.label = std::move(*label);
    if (auto program = list->text("Program")) {
        item.program = std::move(*program);
    } else if (const auto bundleProgram = list->text("BundleProgram"); bundleProgram && bundleRoot) {
        item.program = *bundleRoot + "/" + *bundleProgram;
    } else if (auto arguments = list->texts("ProgramArguments"); arguments && !arguments->empty()) {
        item.program = std::move(arguments->front());
    }
    item.keepAlive = list->boolean("KeepAlive").value_or(list->holdsDictionary("KeepAlive"));
    item.runAtLoad = list->boolean("RunAtLoad").value_or(false);
    item.source = source;
    item.scope = scope;
    return item;
}

std::optional<std::string> ownerApp(const std::optional<std::string>& program, const std::string& label,
                                    const std::map<std::string, std::string>& installed)
{
    std::optional<std::string> fallback;
    if (program) {
        if (const auto bundle = AppGrouper::outermostApp(*program)) {
            if (bundle->starts_with("/Applications/") || bundle->find("/Users/") != std::string::npos)
                return appName(*bundle);
            fallback = appName(*bundle);
        }
    }

    const auto components = Text::splitSkippingEmpty(label, '.');
    if (components.size() < 2)
        return fallback;
    // The map is ordered by identifier, so on equal scores the first met is the smallest.
    const std::string* best = nullptr;
    std::size_t bestScore = 1;
    for (const auto& [identifier, name] : installed) {
        const std::size_t score = sharedPrefix(components, Text::splitSkippingEmpty(identifier, '.'));
        if (score > bestScore) {
            bestScore = score;
            best = &name;
        }
    }
    return best ? std::optional<std::string>(*best) : fallback;
}

std::map<std::string, int32_t> parseLaunchctlList(std::string_view text)
{
    std::map<std::string, int32_t> jobs;
    const auto lines = Text::splitSkippingEmpty(text, '\n');
    for (std::size_t i = 1; i < lines.size(); ++i) {  // the first line is the column header
        const auto fields = Text::splitSkippingEmpty(lines[i], '\t');
        if (fields.size() < 3)
            continue;
        const auto pid = Numbers::parseSignedInt<int32_t>(fields[0]);
        // No process has a pid of 0 or below: such a line is a job that is not running.
        if (!pid || *pid <= 0)
            continue;
        jobs[std::string(fields[2])] = *pid;
    }
    return jobs;
}

std::vector<BackgroundItem> markRunning(std::vector<BackgroundItem> items,
                                        const std::map<std::string, int32_t>& launchctl,
                                        const std::vector<ProcessSample>& processes)
{
    std::unordered_map<std::string, int32_t> byPath;
    for (const auto& process : processes)
        byPath.try_emplace(process.path, process.pid);

    for (auto& item : items) {
        item.pid.reset();
        if (const auto job = launchctl.find(item.label); job != launchctl.end()) {
            item.pid = job->second;
        } else if (item.program) {
            if (const auto process = byPath.find(*item.program); process != byPath.end())
                item.pid = process->second;
        }
    }
    return items;
}

} // namespace corvane::BackgroundItemsReader
