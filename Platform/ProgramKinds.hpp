#pragma once

#include <algorithm>
#include <string_view>

// What kind of program a path runs, told by its last path component: those that run
// whatever a person or an entry gives them, whose processes say nothing of the app
// they serve.
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

// The script a runner's options name: the first that is no option.
template <typename Strings>
auto scriptArgument(const Strings& options)
{
    return std::find_if(options.begin(), options.end(), [](std::string_view option) { return !option.starts_with('-'); });
}

} // namespace corvane
