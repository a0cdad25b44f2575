#pragma once

#include <algorithm>
#include <string_view>

// What kind of program a path runs, told by its last path component: those that run
// whatever a person or an entry gives them, whose processes say nothing of the app
// they serve but through the script they were given.
namespace corvane {

// A shell a person types commands into: sh, bash, zsh, fish, busybox …
bool isShell(std::string_view program);

// A program that keeps a terminal's shells running after the terminal closes: tmux,
// screen …
bool isMultiplexer(std::string_view program);

// Either: what runs whatever a person types into a terminal. Cheaper than asking both,
// for the lookups of every process on every tick.
bool isShellOrMultiplexer(std::string_view program);

// A program that runs what it is given: a shell, an interpreter, a launcher (env,
// flatpak, wine …). An entry starting one is found by the script it runs or by its
// session unit, never by every process running that program.
bool isRunner(std::string_view program);

// How a shell takes one of its options (an argument starting with "-" or "+").
enum class ShellOption {
    flags,     // "-e", "-eu", "--login": nothing more
    value,     // "-o", "-O", "--rcfile", "--init-file": the next argument is its value
    noScript,  // "-c" (command text), "-s" (reads its input), "-i" (interactive): the shell runs no script
    last,      // "--", "-": the next argument is the script
};
ShellOption shellOption(std::string_view option);

// The script among a runner's options: the first argument that is neither an option
// nor an option's value; none (`options.end()`) for a shell that runs no script.
template <typename Strings>
auto scriptArgument(std::string_view program, const Strings& options)
{
    auto argument = options.begin();
    if (!isShell(program))
        return std::find_if(argument, options.end(), [](std::string_view option) { return !option.starts_with('-'); });
    while (argument != options.end()) {
        const std::string_view option = *argument;
        if (!option.starts_with('-') && !option.starts_with('+'))
            break;
        ++argument;
        switch (shellOption(option)) {
        case ShellOption::flags: break;
        case ShellOption::value:
            if (argument != options.end())
                ++argument;
            break;
        case ShellOption::noScript: return options.end();
        case ShellOption::last: return argument;
        }
    }
    return argument;
}

} // namespace corvane
