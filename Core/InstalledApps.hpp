#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// An installed application outside any ".app" bundle, as the desktop knows it.
struct InstalledApp {
    // The group key: the folder the app's program lies in when the app has one of
    // its own, else that program (with the options of the one mode of it the app
    // is), else its entry's id.
    std::string root;
    std::string name;     // what the user calls it
    std::string program;  // the program the app starts; empty when it could not be found
    // An app a person starts and works in, in a window of its own: listed among the
    // desktop's applications, not a part of the session the desktop keeps hidden (a
    // window manager, a shell), nor a program that runs in a terminal.
    bool regular = true;

    bool operator==(const InstalledApp&) const = default;
};

// What tells one process's app: the program it runs, how it was started and the
// session unit it runs in.
struct ProcessIdentity {
    std::string_view path;       // the executable
    // The command line's leading arguments, argv[0] first, each ended by a NUL, as
    // /proc/PID/cmdline holds them (cut after a few); empty when unknown.
    std::string_view arguments;
    std::string_view scope;      // the entry id its session unit names; empty when none does
    bool terminal = false;  // it has a controlling terminal: it was started at a prompt

    // The arguments after argv[0].
    std::vector<std::string_view> options() const;
};

// Which installed application a process belongs to.
class InstalledApps {
public:
    virtual ~InstalledApps() = default;
    // The app of the process, or nullptr when no app claims it. Answers stay valid as
    // long as this object lives.
    virtual const InstalledApp* owner(const ProcessIdentity& process) const = 0;
};

} // namespace corvane
