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
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace corvane;
namespace fs = std::filesystem;

namespace {

// Runs a program reading a pipe the object holds open and writing nowhere, until the
// object goes. Once posix_spawn returns, the process runs the program.
struct Running {
    pid_t pid = 0;
    int input = -1;

    explicit Running(std::vector<std::string> arguments)
    {
        int pipe[2];
        posix_spawn_file_actions_t actions;
        if (::pipe(pipe) != 0 || posix_spawn_file_actions_init(&actions) != 0)
            throw std::runtime_error("cannot start " + arguments.front());
        input = pipe[1];
        posix_spawn_file_actions_adddup2(&actions, pipe[0], 0);
        posix_spawn_file_actions_addclose(&actions, pipe[1]);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const int failed = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipe[0]);
        if (failed)
            throw std::runtime_error("cannot start " + arguments.front());
    }
    ~Running() { ::kill(pid, SIGKILL), ::waitpid(pid, nullptr, 0), ::close(input); }
};

// A home of its own, PATH /usr/bin:/bin, and a configuration folder of its own for the
// session's autostart entries.
class DesktopAppProcesses : public ::testing::Test {
protected:
    test::FakeTree home;
    std::vector<std::unique_ptr<Running>> running;

    void entry(const std::string& id, const std::string& keys)
    {
        home.write(".local/share/applications/" + id + ".desktop", "[Desktop Entry]\nType=Application\n" + keys + "\n");
    }

    // A copy of /usr/bin/sleep in the home folder.
    std::string program(const std::string& relative)
    {
        const auto copy = home.write(relative, "");
        fs::copy_file("/usr/bin/sleep", copy, fs::copy_options::overwrite_existing);
        return copy;
    }

    // Starts the processes and returns their rows: "group · title · verdict", then " · Quit"
    // where the row offers one.
    std::vector<std::string> rows(const std::vector<std::vector<std::string>>& commands)
    {
        for (const auto& command : commands)
            running.push_back(std::make_unique<Running>(command));
        const std::map<std::string, std::string> environment{
            {"HOME", home.path()}, {"PATH", "/usr/bin:/bin"}, {"XDG_CONFIG_DIRS", home.path("xdg")}};
        const auto index = DesktopApps(DesktopApps::session([&](const char* name) {
                                           const auto found = environment.find(name);
                                           return found == environment.end() ? nullptr : found->second.c_str();
                                       })).current();
        const auto groups = AppGrouper::group(
            CPUMeter::usage(std::nullopt, ProcProcessSource().sample(), [](int32_t) { return std::nullopt; }),
            ::geteuid(), index.get());
        const auto catalog = ProcessCatalog::load(CORVANE_CATALOG);
        std::vector<std::string> shown;
        for (const auto& process : running) {
            const auto found = std::find_if(groups.begin(), groups.end(), [&](const ProcessGroup& g) {
                return std::any_of(g.members.begin(), g.members.end(), [&](const auto& m) { return m.pid == process->pid; });
            });
            if (found == groups.end())
                throw std::runtime_error("no group holds pid " + std::to_string(process->pid));
            const auto& group = *found;
            const auto explanation = catalog.explain(group);
            const auto& fixes = explanation.fixes;
            const bool quit = group.quittable && std::find(fixes.begin(), fixes.end(), FixID::quitApp) != fixes.end();
            shown.push_back(group.displayName + " · " + explanation.title + " · " + toString(explanation.verdict)
                            + (quit ? " · Quit" : ""));
        }
        return shown;
    }
};

} // namespace

// A package puts an app's program in /usr/bin as often as in a folder of its own: the app
// is the person's to quit wherever it lies. What the session starts there is the system's.
TEST_F(DesktopAppProcesses, ARegularAppInTheSystemsBinFolderIsTheirsItsSessionModesAreNot)
{
    entry("sleeper", "Name=Sleeper\nExec=/usr/bin/sleep");
    entry("follower", "Name=Follower\nNoDisplay=true\nExec=/usr/bin/tail -f");
    home.write("xdg/autostart/sleeper.desktop", "[Desktop Entry]\nExec=/usr/bin/sleep 601\n");
    EXPECT_EQ(rows({{"/usr/bin/sleep", "600"}, {"/usr/bin/sleep", "601"}, {"/usr/bin/tail", "-f", "/dev/null"}}),
              (std::vector<std::string>{"Sleeper · Part of Sleeper · safe · Quit", "sleep · Part of macOS · leave",
                                        "tail · Part of macOS · leave"}));
}

// An entry starting a shell script claims the shell running it, not one a person started
// with that file as an option's value, nor an interactive one.
TEST_F(DesktopAppProcesses, AShellIsAnAppsOnlyWhileItRunsTheAppsScript)
{
    const auto script = home.write("sync.sh", "read -r line\n");
    entry("sync", "Name=Sync\nExec=bash " + script);
    const auto shown = rows({{"/usr/bin/bash", script}, {"/usr/bin/bash", "--rcfile", script, "-i"},
                             {"/usr/bin/bash", "-i", script}});
    EXPECT_TRUE(shown.at(0).starts_with("Sync · ")) << shown.at(0);
    EXPECT_EQ(std::vector(shown.begin() + 1, shown.end()), std::vector<std::string>(2, "bash · Command shell · review"));
}

// A desktop session reads no shell start-up file, so a person's tool folders are often
// missing from its PATH; they are shared all the same, and an entry's program there
// claims only itself.
TEST_F(DesktopAppProcesses, APersonsToolFoldersAreSharedWhateverPathSays)
{
    const auto tool = program(".cargo/bin/tool");
    entry("tool", "Name=Tool\nExec=" + tool);
    entry("data-tool", "Name=Data Tool\nExec=" + program(".local/share/data-tool"));
    EXPECT_EQ(rows({{tool, "600"}, {program(".cargo/bin/rg"), "600"}, {program(".local/share/pnpm/node"), "600"}}),
              (std::vector<std::string>{"Tool · Part of Tool · safe · Quit", "rg · Not in our list yet · review",
                                        "node · Node.js program · review"}));
}
