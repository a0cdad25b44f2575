#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace corvane {

// What a command (a desktop entry's Exec line, a D-Bus service's, an autostart list's
// line) starts: the program its processes run, with the literal options after it.
// A script runs as its interpreter with the script's path among the arguments, so
// for a script the program is its interpreter.
struct StartedProgram {
    std::string path;                  // resolved; empty when it could not be found
    std::vector<std::string> options;  // for a script, those after the script
    std::vector<std::string> script;   // the script, as found and as resolved; empty for none

    // The program a command's arguments start, found on `searchPath` and followed
    // through links; a script's interpreter is read from its "#!" line.
    static StartedProgram of(const std::vector<std::string>& arguments,
                             const std::vector<std::filesystem::path>& searchPath);

    // It starts a script, or a program that runs what it is given (isRunner).
    bool runsOthers() const;
    // The file whose processes are its own: the script, else the program; empty for a
    // runner given no script (a bare shell, a launcher) and for what could not be found.
    std::string ownFile() const;
};

} // namespace corvane
