// Which processes of a real desktop session are apps a person may quit: the entries,
// programs and session processes Debian 12 ships for each desktop (Tests/Fixtures/desktops),
// over a fake system and /proc.
#include "Core/AppGrouper.hpp"
#include "Core/CPUMeter.hpp"
#include "Core/Numbers.hpp"
#include "Core/ProcessCatalog.hpp"
#include "Core/Text.hpp"
#include "Platform/DesktopApps.hpp"
#include "Platform/ProcProcessSource.hpp"
#include "Platform/RunningApps.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <unistd.h>

using namespace corvane;
namespace fs = std::filesystem;

namespace {

const uint32_t me = ::geteuid();

// One desktop's session, installed into a fake root with the common apps beside it;
// its processes are those of each folder's `processes` file that it has.
class DesktopSession {
public:
    explicit DesktopSession(const std::string& desktop, const std::string& processes = "session.txt")
    {
        for (const auto folder : {"usr/bin", "usr/sbin", "usr/lib", "usr/share/applications", "etc/xdg"})
            system.mkdir(folder);
        for (const auto merged : {"bin", "sbin", "lib"})
            fs::create_directory_symlink(std::string("usr/") + merged, system.path(merged));
        for (const auto& name : {desktop, std::string("common")}) {
            const fs::path from = fs::path(CORVANE_FIXTURES) / "desktops" / name;
            copy(from / "applications", "usr/share/applications");
            copy(from / "dbus-1/services", "usr/share/dbus-1/services");
            copy(from / "autostart", "etc/xdg/autostart");
            copy(from / "lxsession", "etc/xdg/lxsession");
            install(test::fixture("desktops/" + name + "/programs.txt"));
            if (fs::exists(from / processes))
                start(test::fixture("desktops/" + name + "/" + processes));
        }
    }

    // This session's groups, as one tick makes them.
    std::vector<ProcessGroup> groups() const
    {
        const std::map<std::string, std::string> environment{
            {"PATH", system.path("usr/bin") + ":" + system.path("usr/sbin")},
            {"XDG_DATA_DIRS", system.path("usr/share")},
            {"XDG_DATA_HOME", system.path("home/.local/share")},
            {"XDG_CONFIG_DIRS", system.path("etc/xdg")}};
        const auto places = DesktopApps::session(
            [&](const char* name) {
                const auto found = environment.find(name);
                return found == environment.end() ? nullptr : found->second.c_str();
            },
            system.root());
        const auto index = DesktopApps(places).current();
        const auto snapshot = ProcProcessSource(proc.path(), {100, 4096}).sample();
        return AppGrouper::group(CPUMeter::usage(std::nullopt, snapshot, [](int32_t) { return std::nullopt; }), me,
                                 index.get());
    }

    // The group a process of session.txt (by its line's exe and argv) is in.
    const ProcessGroup& groupOf(const std::vector<ProcessGroup>& groups, std::string_view argv) const
    {
        const int32_t pid = pids.at(std::string(argv));
        for (const auto& group : groups) {
            for (const auto& member : group.members) {
                if (member.pid == pid)
                    return group;
            }
        }
        throw std::runtime_error("no group has " + std::string(argv));
    }

    test::FakeTree system, proc;
    std::map<std::string, int32_t> pids;  // by argv as session.txt writes it, the first of equal ones
    std::map<int32_t, std::string> argv;  // by pid

private:
    // Absolute paths in what the entries run are the fake root's.
    std::string rooted(std::string_view path) const
    {
        return path.starts_with('/') ? system.path(path.substr(1)) : std::string(path);
    }

    void copy(const fs::path& from, const std::string& to)
    {
        if (!fs::exists(from))
            return;
        for (const auto& item : fs::recursive_directory_iterator(from)) {
            if (!item.is_regular_file())
                continue;
            std::string text = test::fixture(fs::relative(item.path(), CORVANE_FIXTURES).string());
            for (const auto key : {"\nExec=/", "\nTryExec=/"}) {
                for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + 1))
                    text.replace(at + std::string_view(key).size() - 1, 1, system.path() + "/");
            }
            system.write(to + "/" + fs::relative(item.path(), from).string(), text);
        }
    }

    void install(const std::string& programs)
    {
        for (const auto line : Text::splitSkippingEmpty(programs, '\n')) {
            const auto words = Text::splitSkippingEmpty(line, ' ');
            const std::string path(words.at(0).substr(1));
            if (fs::exists(system.path(path), error) || fs::is_symlink(system.path(path), error))
                continue;
            if (words.at(1) == "link") {
                system.symlink(path, words.at(2).starts_with('/') ? rooted(words.at(2)) : std::string(words.at(2)));
                continue;
            }
            std::string content = "\x7f" "ELF";
            if (words.at(1) == "script") {
                // "#!/usr/bin/python3" or "#! /usr/bin/perl -w": the interpreter is the fake root's.
                content = "#!";
                for (std::size_t i = 2; i < words.size(); ++i) {
                    auto word = words[i];
                    if (i == 2 && word.starts_with("#!"))
                        word.remove_prefix(2);
                    if (!word.empty())
                        content += (content.size() > 2 ? " " : "") + rooted(word);
                }
                content += "\n";
            }
            const auto file = system.write(path, content);
            fs::permissions(file, fs::perms::owner_exec, fs::perm_options::add);
        }
    }

    // A line's parent is the nearest line above it indented two spaces less (copies.txt);
    // one without indent has its parent outside the session's processes.
    void start(const std::string& session)
    {
        std::vector<int32_t> parents;  // by depth
        for (auto line : Text::splitSkippingEmpty(session, '\n')) {
            const auto indent = line.find_first_not_of(' ');
            line.remove_prefix(indent);
            const auto fields = Text::splitKeepingEmpty(line, '\t');
            const int32_t pid = nextPid++;
            const std::size_t depth = indent / 2;
            parents.resize(depth + 1);
            parents[depth] = pid;
            const int32_t ppid = depth == 0 ? 1 : parents[depth - 1];
            const auto folder = Numbers::toText(pid);
            std::string cmdline;
            for (const auto argument : Text::splitSkippingEmpty(fields.at(1), ' ')) {
                const bool file = argument.starts_with('/') && fs::exists(rooted(argument), error);
                cmdline.append(file ? rooted(argument) : std::string(argument)).push_back('\0');
            }
            proc.write(folder + "/stat", folder + " (x) S " + Numbers::toText(ppid) + " 1 1 0 -1 4194560 0 0 0 0 0 0 0 0 20 0 1 0 "
                                             + Numbers::toText(pid) + " 1000 10 0 0 0 0 0 0 0 0 0 0 0 0 17 0\n");
            proc.write(folder + "/cmdline", cmdline);
            proc.write(folder + "/cgroup", "0::" + std::string(fields.at(2)) + "\n");
            proc.symlink(folder + "/exe", rooted(fields.at(0)));
            pids.emplace(std::string(fields.at(1)), pid);
            argv.emplace(pid, fields.at(1));
        }
    }

    std::error_code error;
    int32_t nextPid = 1000;
};

// The groups that may be quit, or with `safe`, those that no catalog entry naming them
// would call safe to quit.
std::set<std::string> quittable(const std::vector<ProcessGroup>& groups, bool safe = false)
{
    std::set<std::string> names;
    for (const auto& group : groups) {
        if (safe ? ProcessCatalog().explain(group).verdict == Verdict::safe : group.quittable)
            names.insert(group.displayName);
    }
    return names;
}

} // namespace

// Only the apps a person opened are offered a quit, and only they are called safe to
// quit: never a panel, the desktop, the window manager, a settings or notification
// daemon, a polkit agent, the sound or display server, D-Bus or the user's service
// manager, nor a shell.
TEST(DesktopSession, NoPartOfAnyDesktopsSessionIsOfferedAQuit)
{
    const std::set<std::string> common{"Firefox ESR", "Firefox Web Browser", "Terminator", "Tilix", "XTerm", "kitty"};
    const std::map<std::string, std::set<std::string>> opened{
        {"gnome", {"Files", "Terminal"}},
        {"kde", {"Dolphin", "Konsole"}},
        // The panel's own process is the session's; its preferences dialog is the person's.
        {"xfce", {"Thunar File Manager", "Xfce Terminal", "Panel"}},
        {"mate", {"MATE Terminal"}},
        {"cinnamon", {"Terminal"}},
        {"lxde", {"LXTerminal"}},
        {"lxqt", {"QTerminal"}},
    };
    for (const auto& [desktop, apps] : opened) {
        const DesktopSession session(desktop);
        auto expected = common;
        expected.insert(apps.begin(), apps.end());
        const auto groups = session.groups();
        EXPECT_EQ(quittable(groups), expected) << desktop;
        EXPECT_EQ(quittable(groups, true), expected) << desktop;
    }
}

// A program run from a terminal is its own app; the terminal is its own program alone.
TEST(DesktopSession, WhatIsStartedFromATerminalIsNeverTheTerminal)
{
    const DesktopSession kde("kde");
    const auto groups = kde.groups();
    const auto& konsole = kde.groupOf(groups, "/usr/bin/konsole");
    EXPECT_EQ(konsole.displayName, "Konsole");
    EXPECT_EQ(konsole.members.size(), 1u);
    const auto& firefox = kde.groupOf(groups, "firefox-esr");
    EXPECT_EQ(firefox.displayName, "Firefox ESR");
    EXPECT_EQ(firefox.id, kde.groupOf(groups, "/usr/lib/firefox-esr/firefox-esr").id);  // and the one from the launcher
    for (const auto typed : {"bash", "-bash", "tmux: server (/tmp/tmux-1000/default)", "sleep 86400"})
        EXPECT_FALSE(kde.groupOf(groups, typed).appPath) << typed;

    // GNOME Terminal's own process is the server its D-Bus service starts; its tabs'
    // shells sit in scopes of the terminal's slice.
    const DesktopSession gnome("gnome");
    const auto gnomeGroups = gnome.groups();
    const auto& terminal = gnome.groupOf(gnomeGroups, "/usr/libexec/gnome-terminal-server");
    EXPECT_EQ(terminal.displayName, "Terminal");
    EXPECT_EQ(terminal.members.size(), 1u);
    EXPECT_TRUE(terminal.quittable);
    EXPECT_EQ(gnome.groupOf(gnomeGroups, "firefox-esr").displayName, "Firefox ESR");
    for (const auto typed : {"bash", "tmux: client (/tmp/tmux-1000/default)", "tmux: server (/tmp/tmux-1000/default)"})
        EXPECT_FALSE(gnome.groupOf(gnomeGroups, typed).appPath) << typed;

    // Terminator is a Python program: its interpreter running it, not the shells in its scope.
    const auto& terminator = gnome.groupOf(gnomeGroups, "/usr/bin/python3 /usr/bin/terminator");
    EXPECT_EQ(terminator.displayName, "Terminator");
    EXPECT_EQ(terminator.members.size(), 1u);
    for (const auto typed : {"/bin/bash", "SCREEN -S job", "python3 /home/alice/bin/notes.py"})
        EXPECT_FALSE(gnome.groupOf(gnomeGroups, typed).appPath) << typed;
}

// A sandboxed app has no program of its own on the system: its unit holds it, its
// sandbox and helpers, but not the session's own Flatpak services.
TEST(DesktopSession, AFlatpakAppIsItsScope)
{
    const DesktopSession session("gnome");
    const auto groups = session.groups();
    const auto& firefox = session.groupOf(groups, "/app/lib/firefox/firefox");
    EXPECT_EQ(firefox.displayName, "Firefox Web Browser");
    EXPECT_EQ(firefox.id, "org.mozilla.firefox");
    EXPECT_EQ(firefox.members.size(), 6u);  // bwrap twice, the D-Bus proxy and its bwrap, two firefox
    EXPECT_EQ(session.groupOf(groups, "bwrap --args 41 -- xdg-dbus-proxy --args=44").id, firefox.id);
    EXPECT_FALSE(session.groupOf(groups, "/usr/libexec/flatpak-session-helper").appPath);
}

// One Quit asks each copy of an app (each xterm, each document's Document Viewer), and
// nothing a copy started and ends itself: no browser's tab, zygote or crash handler, no
// sandbox's D-Bus proxy. Where a copy only waits for the program it started, the
// program is asked: a sandbox's end would take the app down with it, and the
// LibreOffice launcher's would leave the office running.
TEST(DesktopSession, AQuitAsksEachCopyAndNothingTheAppEndsItself)
{
    const DesktopSession trees("gnome", "copies.txt");
    const auto groups = trees.groups();
    // The first two words of each process's command line that a Quit of the app of
    // `member` (a command line as copies.txt writes it) would signal.
    const auto asked = [&](std::string_view member) {
        const auto& group = trees.groupOf(groups, member);
        RunningApps::ProcApplication app(trees.proc.path(), *group.appPath, ActivationPolicy::regular, group.program);
        // The session starts each process at the tick its pid names, in the file's order.
        for (const auto& process : group.members)
            app.add({process.pid, process.ppid, static_cast<uint64_t>(process.pid), process.path});
        std::multiset<std::string> heads;
        for (const auto* target : app.quitTargets()) {
            const auto words = Text::splitSkippingEmpty(trees.argv.at(target->pid), ' ');
            heads.insert(words.size() > 1 ? std::string(words[0]) + " " + std::string(words[1]) : std::string(words[0]));
        }
        return heads;
    };
    using Heads = std::multiset<std::string>;
    EXPECT_EQ(asked("xterm"), (Heads{"xterm", "xterm"}));
    EXPECT_EQ(asked("evince"), (Heads{"evince", "/usr/bin/evince file:///home/alice/Documents/b.pdf",
                                      "/usr/bin/evince file:///home/alice/Documents/c.pdf"}));
    EXPECT_EQ(asked("/usr/lib/firefox-esr/firefox-esr"), (Heads{"/usr/lib/firefox-esr/firefox-esr"}));
    EXPECT_EQ(asked("/usr/lib/libreoffice/program/oosplash --writer"),
              (Heads{"/usr/lib/libreoffice/program/soffice.bin --writer"}));
    EXPECT_EQ(asked("/app/lib/firefox/firefox"), (Heads{"/app/lib/firefox/firefox"}));
    const auto& chromium = trees.groupOf(groups, "/usr/lib/chromium/chromium --type=zygote --no-zygote-sandbox "
                                                 "--crashpad-handler-pid=6331 --enable-crash-reporter=,built on Debian "
                                                 "GNU/Linux 12 (bookworm) --change-stack-guard-on-fork=enable");
    EXPECT_EQ(chromium.displayName, "Chromium Web Browser");
    EXPECT_EQ(chromium.members.size(), 12u);  // browser, 2 + 1 zygotes, GPU, 3 renderers, 2 utilities, 2 crash handlers
    EXPECT_EQ(asked(trees.argv.at(chromium.members.front().pid)),
              (Heads{"/usr/lib/chromium/chromium --show-component-extension-options"}));
}
