#include "CorvaneApp/Platform/AppIconProvider.hpp"

#include "Core/PropertyList.hpp"
#include "Core/Text.hpp"
#include "CorvaneApp/Executor.hpp"
#include "Platform/AppDataFolder.hpp"
#include "Platform/DesktopApps.hpp"
#include "Platform/DesktopEntry.hpp"

#include <QFileInfo>
#include <QStringList>

#include <filesystem>
#include <vector>

namespace corvane {

namespace {

std::vector<std::string> entryNames(const std::string& appPath)
{
    std::vector<std::string> names;
    if (const auto plist = PropertyList::read(appPath + "/Contents/Info.plist"))
        if (auto identifier = plist->text("CFBundleIdentifier"); identifier && !identifier->empty())
            names.push_back(std::move(*identifier));
    std::string name = Text::lastPathComponent(appPath);
    name = name.substr(0, name.rfind('.'));
    if (!name.empty())
        names.push_back(QString::fromStdString(name).toLower().toStdString());
    return names;
}

// The Icon value of a desktop entry that can be used: an icon file that exists, or a theme name.
QString entryIcon(const std::filesystem::path& entry)
{
    const QString iconName = QString::fromStdString(DesktopEntry::value(DesktopEntry::read(entry), "Icon"));
    if (iconName.startsWith(u'/') && !QFileInfo(iconName).isFile())
        return {};
    return iconName;
}

// The Icon values of the app's desktop entries, best first: icon files that exist and
// theme names. Reads files only, so it may run on any thread.
QStringList iconNames(const std::string& appPath, const std::vector<std::filesystem::path>& folders)
{
    QStringList found;
    // An installed app's root names the entry it was found through. The index is held
    // while it is read: a tick may put a newer one in its place meanwhile.
    const auto installed = DesktopApps::shared()->current();
    if (const DesktopApp* app = installed->byRoot(appPath))
        if (QString iconName = entryIcon(app->entry); !iconName.isEmpty())
            found.append(iconName);
    for (const auto& name : entryNames(appPath)) {
        if (name.find('/') != std::string::npos)
            continue;
        for (const auto& folder : folders) {
            const auto path = folder / (name + ".desktop");
            if (!QFileInfo(QString::fromStdString(path.string())).isFile())
                continue;
            if (QString iconName = entryIcon(path); !iconName.isEmpty())
                found.append(iconName);
        }
    }
    return found;
}

// The icon theme belongs to the GUI thread.
QIcon firstIcon(const QStringList& names)
{
    for (const QString& name : names) {
        if (name.startsWith(u'/'))
            return QIcon(name);
        if (QIcon icon = QIcon::fromTheme(name); !icon.isNull())
            return icon;
    }
    return {};
}

} // namespace

AppIconProvider::AppIconProvider(Executor& executor, QObject* parent) : QObject(parent), executor_(executor) {}

QIcon AppIconProvider::icon(const std::string& appPath)
{
    const QString key = QString::fromStdString(appPath);
    if (const auto known = known_.constFind(key); known != known_.constEnd())
        return *known;
    if (pending_.contains(key))
        return {};
    pending_.insert(key);
    // The folders are read here so that the lookup sees the environment of the ask.
    executor_.run(this, [appPath, folders = AppDataFolder::xdgApplicationFolders()] { return iconNames(appPath, folders); },
                  [this, key](WorkResult<QStringList> names) {
                      pending_.remove(key);
                      known_.insert(key, names ? firstIcon(names.value()) : QIcon());
                      Q_EMIT found(key);
                  });
    return {};
}

} // namespace corvane
