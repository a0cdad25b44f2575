#include "Platform/ProgramKinds.hpp"

#include <cstring>
#include <iterator>

namespace corvane {
namespace {

constexpr std::string_view shells[] = {"sh", "bash", "dash", "zsh", "ksh", "mksh", "fish", "csh", "tcsh", "busybox"};
constexpr std::string_view multiplexers[] = {"tmux", "screen", "zellij", "dtach", "abduco"};
constexpr std::string_view otherRunners[] = {"env",    "node", "nodejs",  "java", "gjs",  "mono",
                                             "dotnet", "flatpak", "snap", "wine", "wine64"};
// Interpreters come with their version in the name: python3, python3.11, perl5.36 …
constexpr std::string_view runnerPrefixes[] = {"python", "pypy", "perl", "ruby", "lua", "php", "tclsh", "wish"};

// A view into `program`, not a copy, found with the C library's fast search: the app
// lookup asks for every process on every tick.
std::string_view name(std::string_view program)
{
    const auto* slash = static_cast<const char*>(::memrchr(program.data(), '/', program.size()));
    return slash ? program.substr(static_cast<std::size_t>(slash - program.data()) + 1) : program;
}

template <std::size_t N>
constexpr std::size_t longest(const std::string_view (&names)[N])
{
    return std::max_element(std::begin(names), std::end(names),
                            [](std::string_view a, std::string_view b) { return a.size() < b.size(); })
        ->size();
}

template <const auto& names>
bool among(std::string_view name)
{
    // Most programs' names are longer than any of these: they are told at once.
    constexpr std::size_t limit = longest(names);
    return name.size() <= limit && std::find(std::begin(names), std::end(names), name) != std::end(names);
}

} // namespace

bool isShell(std::string_view program)
{
    return among<shells>(name(program));
}

bool isMultiplexer(std::string_view program)
{
    return among<multiplexers>(name(program));
}

bool isShellOrMultiplexer(std::string_view program)
{
    const auto named = name(program);
    return among<shells>(named) || among<multiplexers>(named);
}

bool isRunner(std::string_view program)
{
    const auto named = name(program);
    return among<shells>(named) || among<otherRunners>(named)
           || std::any_of(std::begin(runnerPrefixes), std::end(runnerPrefixes),
                          [&](std::string_view prefix) { return named.starts_with(prefix); });
}

ShellOption shellOption(std::string_view option)
{
    if (option == "--" || option == "-")
        return ShellOption::last;
    if (option.starts_with("--")) {
        if (option == "--rcfile" || option == "--init-file")
            return ShellOption::value;
        return option == "--interactive" ? ShellOption::noScript : ShellOption::flags;
    }
    // A cluster of letters: "-ec", "-o pipefail", "+O extglob".
    const auto letters = option.substr(1);
    if (option.starts_with('-') && letters.find_first_of("csi") != std::string_view::npos)
        return ShellOption::noScript;
    return letters.find_first_of("oO") != std::string_view::npos ? ShellOption::value : ShellOption::flags;
}

} // namespace corvane
