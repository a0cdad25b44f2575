#include "CorvaneApp/Platform/AppIconProvider.hpp"

#include "Core/Files.hpp"
#include "Core/PropertyList.hpp"
#include "Core/Text.hpp"
#include "Platform/DesktopApps.hpp"
#include "Platform/DesktopEntry.hpp"
#include "Platform/LinuxWorkspace.hpp"

#include <QFileInfo>
#include <QHash>

namespace corvane::AppIconProvider {

namespace {

std::vector<std::string> entryNames(const std::string& appPath)
{
    std::vector<std::string> names;
    if (const auto info = Files::read(appPath + "/Contents/Info.plist")) {
        if (const auto plist = PropertyList::dictionary(*info))
            if (auto identifier = plist->text("CFBundleIdentifier"); identifier && !identifier->empty())
                names.push_back(std::move(*identifier));
    }
    std::string name = Text::lastPathComponent(appPath);
    name = name.substr(0, name.rfind('.'));
    if (!name.empty())
        names.push_back(QString::fromStdString(name).toLower().toStdString());
    return names;
}

// The icon a desktop entry names: a file, or a name in the icon theme.
QIcon entryIcon(const std::filesystem::path& entry)
{
    const QString iconName = QString::fromStdString(DesktopEntry::value(DesktopEntry::read(entry), "Icon"));
    if (iconName.isEmpty())
        return {};
    if (iconName.startsWith(u'/'))
        return QFileInfo(iconName).isFile() ? QIcon(iconName) : QIcon();
    return QIcon::fromTheme(iconName);
}

QIcon lookUp(const std::string& appPath)
{
    // An installed app's root names the entry it was found through.
    const auto installed = DesktopApps::shared()->current();
    if (const DesktopApp* app = installed->byRoot(appPath))
        return entryIcon(app->entry);
    const auto folders = LinuxWorkspace::xdgApplicationFolders();
    for (const auto& name : entryNames(appPath)) {
        if (name.find('/') != std::string::npos)
            continue;
        for (const auto& folder : folders) {
            const auto path = folder / (name + ".desktop");
            if (!QFileInfo(QString::fromStdString(path.string())).isFile())
                continue;
            if (QIcon icon = entryIcon(path); !icon.isNull())
                return icon;
        }
    }
    return {};
}

} // namespace

QIcon icon(const std::string& appPath)
{
    static QHash<QString, QIcon> cache;
    const QString key = QString::fromStdString(appPath);
    if (const auto found = cache.constFind(key); found != cache.constEnd())
        return *found;
    QIcon result = lookUp(appPath);
    cache.insert(key, result);
    return result;
}

} // namespace corvane::AppIconProvider
