// Real processes of this machine beside desktop entries in a home of their own: the row
// each one gets (its group, the explanation every screen and the report show, and
// whether a Quit is offered).
#include "Core/AppGrouper.hpp"
#include "Core/CPUMeter.hpp"
#include "Core/ProcessCatalog.hpp"
#include "Platform/DesktopApps.hpp"
#include "Platform/ProcProcessSource.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <memory>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace corvane;
namespace fs = std::filesystem;

namespace {

// Runs a program, reading and writing nowhere, until the object goes. Once posix_spawn
// returns, the process runs the program.
struct Running {
    pid_t pid = 0;

    explicit Running(std::vector<std::string> arguments)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const int failed = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed)
            throw std::runtime_error("cannot start " + arguments.front());
    }
    ~Running() { ::kill(pid, SIGKILL), ::waitpid(pid, nullptr, 0); }
};

} // namespace

// Each process's row: "group · title · verdict", then " · Quit" where the row offers one.
// The home is one of its own, with a configuration folder of its own for the session's
// autostart entries, and PATH /usr/bin:/bin: a desktop session reads no shell start-up
// file, so a person's tool folders are often missing from it.
TEST(DesktopAppProcesses, EachRowIsOfTheAppThatClaimsItsProgram)
{
    test::FakeTree home;
    const auto entry = [&](const std::string& id, const std::string& keys) {
        home.write(".local/share/applications/" + id + ".desktop", "[Desktop Entry]\nType=Application\n" + keys + "\n");
    };
    // A copy of /usr/bin/sleep in the home folder.
    const auto program = [&](const std::string& relative) {
        const auto copy = home.write(relative, "");
        fs::copy_file("/usr/bin/sleep", copy, fs::copy_options::overwrite_existing);
        return copy;
    };
    entry("sleeper", "Name=Sleeper\nExec=/usr/bin/sleep");
    entry("follower", "Name=Follower\nNoDisplay=true\nExec=/usr/bin/tail -f");
    home.write("xdg/autostart/sleeper.desktop", "[Desktop Entry]\nExec=/usr/bin/sleep 601\n");
    // The script waits on a pipe of its own, which nothing writes to.
    ::mkfifo(home.path("sync.pipe").c_str(), 0600);
    const auto script = home.write("sync.sh", "read -r line <> " + home.path("sync.pipe") + "\n");
    entry("sync", "Name=Sync\nExec=bash " + script);
    const auto tool = program(".cargo/bin/tool");
    entry("tool", "Name=Tool\nExec=" + tool);
    entry("data-tool", "Name=Data Tool\nExec=" + program(".local/share/data-tool"));

    const std::pair<std::vector<std::string>, std::string> processes[] = {
        // A package puts an app's program in /usr/bin as often as in a folder of its own:
        // the app is the person's to quit wherever it lies. What the session starts there
        // is the system's.
        {{"/usr/bin/sleep", "600"}, "Sleeper · Part of Sleeper · safe · Quit"},
        {{"/usr/bin/sleep", "601"}, "sleep · Part of macOS · leave"},
        {{"/usr/bin/tail", "-f", "/dev/null"}, "tail · Part of macOS · leave"},
        // An entry starting a shell script claims the shell running it, not one started
        // with that file as an option's value, nor an interactive one.
        {{"/usr/bin/bash", script}, "Sync · Command shell · review"},
        {{"/usr/bin/bash", "--rcfile", script, "-i"}, "bash · Command shell · review"},
        {{"/usr/bin/bash", "-i", script}, "bash · Command shell · review"},
        // A person's tool folders are shared whatever PATH says: an entry's program there
        // claims only itself.
        {{tool, "600"}, "Tool · Part of Tool · safe · Quit"},
        {{program(".cargo/bin/rg"), "600"}, "rg · Not in our list yet · review"},
        {{program(".local/share/pnpm/node"), "600"}, "node · Node.js program · review"},
    };
    std::vector<std::unique_ptr<Running>> running;
    for (const auto& [command, row] : processes)
        running.push_back(std::make_unique<Running>(command));
    const std::map<std::string, std::string> environment{
        {"HOME", home.path()}, {"PATH", "/usr/bin:/bin"}, {"XDG_CONFIG_DIRS", home.path("xdg")}};
    const auto index = DesktopApps(DesktopApps::session([&](const char* name) {
                                       const auto found = environment.find(name);
                                       return found == environment.end() ? nullptr : found->second.c_str();
                                   })).current();
    const auto groups = AppGrouper::group(
        CPUMeter::usage(std::nullopt, ProcProcessSource().sample(), [](int32_t) { return std::nullopt; }), ::geteuid(),
        index.get());
    const auto catalog = ProcessCatalog::load(CORVANE_CATALOG);
    for (std::size_t i = 0; i < running.size(); ++i) {
        SCOPED_TRACE(processes[i].first[0] + " " + processes[i].first[1]);
        const auto group = std::find_if(groups.begin(), groups.end(), [&](const ProcessGroup& g) {
            return std::any_of(g.members.begin(), g.members.end(), [&](const auto& m) { return m.pid == running[i]->pid; });
        });
        ASSERT_NE(group, groups.end());
        const auto explanation = catalog.explain(*group);
        const auto& fixes = explanation.fixes;
        const bool quit = group->quittable && std::find(fixes.begin(), fixes.end(), FixID::quitApp) != fixes.end();
        EXPECT_EQ(group->displayName + " · " + explanation.title + " · " + toString(explanation.verdict) +
                      (quit ? " · Quit" : ""),
                  processes[i].second);
    }
}
