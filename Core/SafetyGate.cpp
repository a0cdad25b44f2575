#include "Core/SafetyGate.hpp"

#include "Core/Text.hpp"

#include <array>
#include <string_view>

namespace corvane::SafetyGate {

const std::set<std::string>& denyNames()
{
    static const std::set<std::string> names{
        "kernel_task", "WindowServer", "launchd", "loginwindow", "Dock",
        "Finder", "SystemUIServer", "ControlCenter", "Corvane",
    };
    return names;
}

bool canQuitInstalledApp(uint32_t uid, uint32_t currentUID, const std::string& path, const std::string& name,
                         bool isRegularApp)
{
    if (!isRegularApp || uid != currentUID)
        return false;
    const auto& deny = denyNames();
    return !deny.contains(name) && !deny.contains(Text::lastPathComponent(path));
}

bool canQuit(uint32_t uid, uint32_t currentUID, const std::string& path, const std::string& name,
             bool isRegularApp)
{
    static constexpr std::array<std::string_view, 4> protectedPrefixes{"/System/", "/usr/", "/sbin/", "/bin/"};
    if (!canQuitInstalledApp(uid, currentUID, path, name, isRegularApp))
        return false;
    for (const auto prefix : protectedPrefixes) {
        if (path.starts_with(prefix))
            return false;
    }
    return true;
}

} // namespace corvane::SafetyGate
