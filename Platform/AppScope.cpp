#include "Platform/AppScope.hpp"

#include "Core/Files.hpp"
#include "Core/Numbers.hpp"
#include "Core/Text.hpp"

#include <optional>

namespace corvane::AppScope {

namespace {

// systemd's "\xNN" escapes undone.
std::string unescaped(std::string_view part)
{
    std::string result;
    result.reserve(part.size());
    for (std::size_t i = 0; i < part.size(); ++i) {
        if (part[i] == '\\' && i + 3 < part.size() && part[i + 1] == 'x') {
            const auto high = Numbers::hexDigit(part[i + 2]);
            const auto low = Numbers::hexDigit(part[i + 3]);
            if (high && low) {
                result += static_cast<char>(*high * 16 + *low);
                i += 3;
                continue;
            }
        }
        result += part[i];
    }
    return result;
}

// A Snap app's scope, "snap.<snap>.<app>-<uuid>.scope" (older: "snap.<snap>.<app>.<uuid>.scope"),
// names the entry "<snap>_<app>".
std::string fromSnapUnit(std::string_view unit)
{
    constexpr std::size_t uuidSize = 36;
    unit.remove_prefix(std::string_view("snap.").size());
    unit.remove_suffix(std::string_view(".scope").size());
    const auto dot = unit.find('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    auto app = unit.substr(dot + 1);
    if (const auto uuid = app.find('.'); uuid != std::string_view::npos)
        app = app.substr(0, uuid);
    else if (app.size() > uuidSize + 1 && app[app.size() - uuidSize - 1] == '-')
        app.remove_suffix(uuidSize + 1);
    else
        return {};
    return app.empty() ? std::string() : std::string(unit.substr(0, dot)) + "_" + std::string(app);
}

// The entry id of one unit name, or empty when it is not an app unit.
std::string fromUnit(std::string_view unit)
{
    static constexpr std::string_view prefix = "app-";
    if (unit.starts_with("snap.") && unit.ends_with(".scope"))
        return fromSnapUnit(unit);
    if (!unit.starts_with(prefix))
        return {};
    std::string_view body = unit.substr(prefix.size());
    enum class Kind { scope, service, slice };
    Kind kind;
    if (body.ends_with(".scope"))
        kind = Kind::scope;
    else if (body.ends_with(".service"))
        kind = Kind::service;
    else if (body.ends_with(".slice"))
        kind = Kind::slice;
    else
        return {};
    body = body.substr(0, body.rfind('.'));
    // The parts: an optional launcher, the entry id, and for a scope a random tail.
    const auto parts = Text::splitSkippingEmpty(body, '-');
    if (parts.empty())
        return {};
    std::string_view id = parts.back();
    if (kind == Kind::scope && parts.size() >= 2)
        id = parts[parts.size() - 2];
    if (kind == Kind::service)
        id = id.substr(0, id.find('@'));
    auto entry = unescaped(id);
    // An app D-Bus started for its bus name: "app-dbus\x2d:1.2\x2d<entry id>.slice".
    if (entry.starts_with("dbus-:")) {
        const auto dash = entry.find('-', 6);
        entry = dash == std::string::npos ? std::string() : entry.substr(dash + 1);
    }
    return entry;
}

} // namespace

std::string fromCgroupPath(std::string_view path)
{
    const auto units = Text::splitSkippingEmpty(path, '/');
    for (auto unit = units.rbegin(); unit != units.rend(); ++unit) {
        if (auto id = fromUnit(*unit); !id.empty())
            return id;
    }
    return {};
}

std::string fromCgroupFile(std::string_view text)
{
    std::string_view unified, systemd;
    for (const auto line : Text::splitSkippingEmpty(text, '\n')) {
        const auto first = line.find(':');
        const auto second = first == std::string_view::npos ? first : line.find(':', first + 1);
        if (second == std::string_view::npos)
            continue;
        const auto controllers = line.substr(first + 1, second - first - 1);
        if (line.substr(0, first) == "0" && controllers.empty())
            unified = line.substr(second + 1);
        else if (controllers == "name=systemd")
            systemd = line.substr(second + 1);
    }
    // A hybrid setup may leave the unified hierarchy at its root.
    auto id = fromCgroupPath(unified);
    return id.empty() ? fromCgroupPath(systemd) : id;
}

std::string ofProcess(const std::filesystem::path& procRoot, int32_t pid)
{
    // A few lines at most; the cap only guards against a planted file in a fake tree.
    const auto text = Files::read(procRoot / Numbers::toText(pid) / "cgroup", 64 * 1024);
    return text ? fromCgroupFile(*text) : std::string();
}

} // namespace corvane::AppScope
