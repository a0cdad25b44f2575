#include "Platform/DesktopApps.hpp"

#include "Core/Text.hpp"
#include "Platform/AppClaims.hpp"
#include "Platform/AppDataFolder.hpp"
#include "Platform/AppEntries.hpp"
#include "Platform/InstalledTool.hpp"

#include <algorithm>

namespace fs = std::filesystem;

namespace corvane {

DesktopApps::Places DesktopApps::session(const Environment& environment, const fs::path& root)
{
    Places places;
    places.applicationFolders = AppDataFolder::xdgApplicationFolders(environment);
    auto configDirs = valueOf(environment, "XDG_CONFIG_DIRS");
    if (configDirs.empty())
        configDirs = (root / "etc/xdg").string();
    for (const auto dir : Text::splitSkippingEmpty(configDirs, ':')) {
        if (dir.starts_with('/'))
            places.configFolders.emplace_back(dir);
    }
    places.searchPath = Platform::searchPath(valueOf(environment, "PATH"));
    places.sharedFolders = SharedFolders::session(environment, root);
    return places;
}

DesktopApps::DesktopApps(Places places) : places_(std::move(places)) {}

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
