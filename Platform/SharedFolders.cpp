#include "Platform/SharedFolders.hpp"

#include "Platform/InstalledTool.hpp"

#include <algorithm>
#include <utility>

namespace fs = std::filesystem;

namespace corvane {
namespace {

constexpr std::string_view systemFolders[] = {
    "/",          "/bin",           "/sbin",         "/lib",           "/lib64",
    "/usr",       "/usr/bin",       "/usr/sbin",     "/usr/games",     "/usr/libexec",
    "/usr/lib",   "/usr/lib32",     "/usr/lib64",    "/usr/libx32",    "/usr/share",
    "/usr/local", "/usr/local/bin", "/usr/local/sbin", "/usr/local/games", "/usr/local/libexec",
    "/usr/local/lib", "/usr/local/share", "/usr/lib/x86_64-linux-gnu", "/usr/lib/aarch64-linux-gnu",
    "/usr/lib/i386-linux-gnu", "/opt", "/snap/bin", "/var/lib/flatpak/exports/bin", "/tmp", "/var/tmp",
};

// The XDG base folders of a person, each where its variable puts it (when absolute,
// as the base-directory rules ask), else in its place in the home folder.
constexpr std::pair<const char*, std::string_view> personalBaseFolders[] = {
    {"XDG_DATA_HOME", ".local/share"},
    {"XDG_STATE_HOME", ".local/state"},
    {"XDG_CONFIG_HOME", ".config"},
    {"XDG_CACHE_HOME", ".cache"},
    {"XDG_RUNTIME_DIR", ""},
};

// Through links, as the programs compared with it are; a folder that is not there as
// written, without a trailing "/".
std::string resolved(const fs::path& folder)
{
    if (auto path = Platform::resolvedPath(folder); !path.empty())
        return path;
    auto path = folder.lexically_normal().string();
    if (path.size() > 1 && path.ends_with('/'))
        path.pop_back();
    return path;
}

// Whether `inner` is `outer` or lies inside it.
bool within(std::string_view inner, std::string_view outer)
{
    return inner.starts_with(outer)
           && (inner.size() == outer.size() || outer.ends_with('/') || inner[outer.size()] == '/');
}

} // namespace

SharedFolders::SharedFolders(const std::vector<fs::path>& folders, const fs::path& home)
{
    for (const auto& folder : folders) {
        if (auto path = resolved(folder); path.starts_with('/'))
            folders_.insert(std::move(path));
    }
    if (home.is_absolute()) {
        home_ = resolved(home);
        if (home_ == "/")
            home_.clear();
        else
            folders_.insert(home_);
    }
}

SharedFolders SharedFolders::session(const Environment& environment, const fs::path& root)
{
    std::vector<fs::path> folders;
    for (const auto folder : systemFolders)
        folders.push_back(root / fs::path(folder).relative_path());
    const auto path = Platform::searchPath(valueOf(environment, "PATH"));
    folders.insert(folders.end(), path.begin(), path.end());
    const fs::path home = valueOf(environment, "HOME");
    for (const auto& [variable, inHome] : personalBaseFolders) {
        if (const fs::path set = valueOf(environment, variable); set.is_absolute())
            folders.push_back(set);
        else if (home.is_absolute() && !inHome.empty())
            folders.push_back(home / inHome);
    }
    return SharedFolders(folders, home);
}

bool SharedFolders::contains(std::string_view folder) const
{
    if (folders_.find(folder) != folders_.end())
        return true;
    // A folder directly in the home folder, or its bin folder.
    if (home_.empty() || folder.size() <= home_.size() + 1 || !within(folder, home_))
        return false;
    const auto rest = folder.substr(home_.size() + 1);
    const auto slash = rest.find('/');
    return slash == std::string_view::npos || rest.substr(slash + 1) == "bin";
}

bool SharedFolders::holdsOne(std::string_view folder) const
{
    // Every folder the home folder's rule adds is itself one, or lies in one.
    return contains(folder)
           || std::any_of(folders_.begin(), folders_.end(), [&](const std::string& shared) { return within(shared, folder); });
}

} // namespace corvane
