#pragma once

#include <string>
#include <string_view>

namespace corvane {

// An installed application outside any ".app" bundle, as the desktop knows it.
struct InstalledApp {
    // The group key: the folder the app's program lies in when the app has one of
    // its own, else that program, else (only a session unit names it) its entry's id.
    std::string root;
    std::string name;     // what the user calls it
    std::string program;  // the program the app starts; empty when it could not be found
    // An app a person starts and works in, in a window of its own: listed among the
    // desktop's applications, not a part of the session the desktop keeps hidden (a
    // window manager, a shell), nor a program that runs in a terminal.
    bool regular = true;

    bool operator==(const InstalledApp&) const = default;
};

// Which installed application a process belongs to.
class InstalledApps {
public:
    virtual ~InstalledApps() = default;
    // The app of a process running `path` whose session unit names `scope` (empty
    // when none does), or nullptr when no app claims it. Answers stay valid as long
    // as this object lives.
    virtual const InstalledApp* owner(std::string_view path, std::string_view scope) const = 0;
};

} // namespace corvane
