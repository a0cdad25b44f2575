#include "Platform/DesktopApps.hpp"

#include "Core/Text.hpp"
#include "Platform/AppClaims.hpp"
#include "Platform/AppDataFolder.hpp"
#include "Platform/AppEntries.hpp"
#include "Platform/InstalledTool.hpp"

#include <algorithm>

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

} // namespace

DesktopApps::Places DesktopApps::session(const Environment& environment, const fs::path& root)
{
    const auto variable = [&](const char* name) {
        const char* value = environment(name);
        return std::string(value ? value : "");
    };
    Places places;
    places.applicationFolders = AppDataFolder::xdgApplicationFolders(environment);
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
        if (auto resolved = Platform::resolvedPath(folder); !resolved.empty())
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
    const bool changed = !index_ || std::any_of(stamps_.begin(), stamps_.end(), [](const FolderStamp& stamp) {
        return FolderStamp::of(stamp.folder) != stamp;
    });
    if (changed) {
        std::vector<FolderStamp> stamps;
        index_ = read(stamps);
        stamps_ = std::move(stamps);
    }
    return index_;
}

std::shared_ptr<const DesktopAppIndex> DesktopApps::read(std::vector<FolderStamp>& stamps) const
{
    const auto entries = AppEntries::read(places_.applicationFolders, places_.searchPath, stamps);
    const auto sessionModes = AppEntries::sessionModes(places_.configFolders, places_.searchPath, stamps);
    return AppClaims::index(entries, sessionModes, places_.sharedFolders);
}

} // namespace corvane
