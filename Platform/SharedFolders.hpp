#pragma once

#include "Platform/Environment.hpp"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace corvane {

// The folders that hold the programs or folders of many packages, so that none of them
// is any one app's: a program lying in one is an app's only by its own path, never by
// its folder, and the walk out from a program's folder to the app folder holding it
// stops at the first it meets. They are
// - the system's bin, sbin, lib, libexec, share and games folders (/usr, /usr/local and
//   their multiarch lib folders), /opt, /snap/bin, Flatpak's exported bin and the
//   temporary folders;
// - every folder on PATH;
// - a person's own tool folders, whatever PATH says (a desktop session often reads
//   none of the shell start-up files that put them there): the home folder, every
//   folder directly in it and that folder's bin folder (~/bin, ~/.local, ~/.local/bin,
//   ~/.cargo/bin, ~/go/bin, ~/.nix-profile/bin …), and the XDG base folders
//   (~/.local/share, ~/.local/state, ~/.config, ~/.cache and the runtime folder, or
//   where XDG_*_HOME puts them).
// A folder holding one of these is no app's own either: ~/.local holds ~/.local/bin.
class SharedFolders {
public:
    SharedFolders() = default;
    // `folders`, and the tool folders of the person whose home folder is `home` (none
    // when it is empty or "/"). Links are followed, as they are for the programs
    // compared with them: /bin is /usr/bin on most systems.
    SharedFolders(const std::vector<std::filesystem::path>& folders, const std::filesystem::path& home);

    // This session's, the system's under `root`.
    static SharedFolders session(const Environment& environment = std::getenv,
                                 const std::filesystem::path& root = "/");

    // Whether `folder` (absolute, without a trailing "/") is one. Allocates nothing:
    // the app lookup asks for the folders of every process on every tick.
    bool contains(std::string_view folder) const;

    // Whether `folder` is one or holds one: then it is no app's own folder.
    bool holdsOne(std::string_view folder) const;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };

    std::unordered_set<std::string, Hash, std::equal_to<>> folders_;
    std::string home_;  // empty for none
};

} // namespace corvane
