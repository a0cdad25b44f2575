#include "CorvaneApp/Platform/AppIconProvider.hpp"

#include "Core/Files.hpp"
#include "Core/PropertyList.hpp"
#include "Core/Text.hpp"
#include "CorvaneApp/Platform/DesktopEntry.hpp"
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

QIcon lookUp(const std::string& appPath)
{
    const auto folders = LinuxWorkspace::xdgApplicationFolders();
    for (const auto& name : entryNames(appPath)) {
        if (name.find('/') != std::string::npos)
            continue;
        for (const auto& folder : folders) {
            const QString path = QString::fromStdString((folder / (name + ".desktop")).string());
            if (!QFileInfo(path).isFile())
                continue;
            const QString iconName = DesktopEntry::read(path).value(QStringLiteral("Icon"));
            if (iconName.isEmpty())
                continue;
            if (iconName.startsWith(u'/')) {
                if (QFileInfo(iconName).isFile())
                    return QIcon(iconName);
            } else if (QIcon icon = QIcon::fromTheme(iconName); !icon.isNull()) {
                return icon;
            }
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
