#include "Platform/SettingsPanels.hpp"

#include "Platform/LinuxWorkspace.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <future>
#include <map>

using namespace corvane;
using SettingsPanels::Command;
using SettingsPanels::Session;

namespace {

// Folders standing in for $PATH, with the settings programs a test installs.
class Desktops : public ::testing::Test {
protected:
    // Installs an executable program of that name in the folder.
    std::string install(const std::string& folder, const std::string& program)
    {
        const auto path = tree.write(folder + "/" + program, "#!/bin/sh\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    Session session(std::vector<std::string> desktops) const
    {
        return Session{std::move(desktops), {tree.path("local"), tree.path("bin")}};
    }

    test::FakeTree tree;
};

// Runs what the workspace starts through a fake runner and hands back the first run.
struct Recorder {
    std::shared_ptr<std::promise<Command>> ran = std::make_shared<std::promise<Command>>();

    CommandRunner runner() const
    {
        return [ran = ran](const std::string& path, const std::vector<std::string>& arguments) {
            ran->set_value(Command{path, arguments});
            return Shell::Output{};
        };
    }
    Command first() const { return ran->get_future().get(); }
};

} // namespace

TEST_F(Desktops, GnomeLeavesStartupToTheSessionToolAndHasNoAutomationPage)
{
    install("bin", "gnome-control-center");
    const auto gnome = session({"GNOME"});
    EXPECT_EQ(SettingsPanels::command(SettingsPane::loginItems, gnome), std::nullopt);
    EXPECT_EQ(SettingsPanels::command(SettingsPane::automation, gnome), std::nullopt);
    const auto startup = install("bin", "gnome-session-properties");
    EXPECT_EQ(SettingsPanels::command(SettingsPane::loginItems, gnome), (Command{startup, {}}));
}

TEST_F(Desktops, KdePrefersSystemSettingsToTheModuleShells)
{
    const auto kde = session({"KDE"});
    const auto shell5 = install("bin", "kcmshell5");
    EXPECT_EQ(SettingsPanels::command(SettingsPane::spotlight, kde), (Command{shell5, {"kcm_baloofile"}}));
    const auto shell6 = install("bin", "kcmshell6");
    EXPECT_EQ(SettingsPanels::command(SettingsPane::spotlight, kde), (Command{shell6, {"kcm_baloofile"}}));
    const auto settings = install("bin", "systemsettings");
    EXPECT_EQ(SettingsPanels::command(SettingsPane::spotlight, kde), (Command{settings, {"kcm_baloofile"}}));
}

TEST_F(Desktops, ProgramsAreFoundAsAShellFindsThem)
{
    // The first folder of the path wins; a file that may not be run is no program.
    install("bin", "xfce4-display-settings");
    const auto first = install("local", "xfce4-display-settings");
    tree.write("local/xfce4-power-manager-settings", "not a program");
    const auto xfce = session({"XFCE"});
    EXPECT_EQ(SettingsPanels::command(SettingsPane::displays, xfce), (Command{first, {}}));
    EXPECT_EQ(SettingsPanels::command(SettingsPane::battery, xfce), std::nullopt);
    tree.mkdir("bin/xfce4-session-settings");
    EXPECT_EQ(SettingsPanels::command(SettingsPane::loginItems, xfce), std::nullopt);
}

TEST_F(Desktops, TheFirstOfTheSessionsDesktopsThatHasThePageWins)
{
    const auto centre = install("bin", "gnome-control-center");
    const auto cinnamon = install("bin", "cinnamon-settings");
    // Names the table does not know are passed over, as are desktops without the program.
    EXPECT_EQ(SettingsPanels::command(SettingsPane::wifi, session({"ubuntu", "KDE", "GNOME"})),
              (Command{centre, {"wifi"}}));
    EXPECT_EQ(SettingsPanels::command(SettingsPane::wifi, session({"X-Cinnamon", "GNOME"})),
              (Command{cinnamon, {"network"}}));
    // Cinnamon has no search page; the next desktop of the session does.
    EXPECT_EQ(SettingsPanels::command(SettingsPane::spotlight, session({"X-Cinnamon", "GNOME"})),
              (Command{centre, {"search"}}));
    // Installed programs alone choose nothing: the session must run a desktop that has them.
    EXPECT_EQ(SettingsPanels::command(SettingsPane::wifi, session({})), std::nullopt);
    EXPECT_EQ(SettingsPanels::command(SettingsPane::wifi, session({"openbox"})), std::nullopt);
}

TEST(SettingsSession, ReadsTheDesktopsAndTheAbsoluteFoldersOfThePath)
{
    const auto read = [](std::map<std::string, std::string> variables) {
        return Session::current([variables](const char* name) -> const char* {
            const auto it = variables.find(name);
            return it == variables.end() ? nullptr : it->second.c_str();
        });
    };
    const auto session = read({{"XDG_CURRENT_DESKTOP", "ubuntu::GNOME"}, {"PATH", "/usr/bin:bin::/opt/x/bin/"}});
    EXPECT_EQ(session.desktops, (std::vector<std::string>{"ubuntu", "GNOME"}));
    EXPECT_EQ(session.path, (std::vector<std::filesystem::path>{"/usr/bin", "/opt/x/bin/"}));
    EXPECT_TRUE(read({}).desktops.empty());
    // Without a PATH, programs are looked for where a shell would.
    EXPECT_EQ(read({}).path, (std::vector<std::filesystem::path>{"/usr/local/bin", "/usr/bin", "/bin"}));
}

TEST_F(Desktops, TheWorkspaceStartsTheDesktopsPageForASettingsLinkOrSaysItCannot)
{
    const auto opened = [&](std::vector<std::string> desktops, SettingsPane pane) -> std::optional<Command> {
        Recorder recorder;
        LinuxWorkspace workspace("/proc", {}, recorder.runner(), session(std::move(desktops)));
        if (!workspace.open(toString(pane)))
            return std::nullopt;
        return recorder.first();
    };
    const auto centre = install("bin", "gnome-control-center");
    const auto settings = install("bin", "systemsettings");
    const auto power = install("bin", "xfce4-power-manager-settings");
    EXPECT_EQ(opened({"GNOME"}, SettingsPane::wifi), (Command{centre, {"wifi"}}));
    EXPECT_EQ(opened({"KDE"}, SettingsPane::battery), (Command{settings, {"kcm_powerdevilprofilesconfig"}}));
    EXPECT_EQ(opened({"XFCE"}, SettingsPane::battery), (Command{power, {}}));

    // No desktop, one without settings pages, or a pane none has: nothing is started,
    // and the link never reaches the URL handler.
    Recorder untouched;
    EXPECT_FALSE(LinuxWorkspace("/proc", {}, untouched.runner(), session({})).open(toString(SettingsPane::wifi)));
    EXPECT_FALSE(
        LinuxWorkspace("/proc", {}, untouched.runner(), session({"openbox"})).open(toString(SettingsPane::displays)));
    EXPECT_FALSE(
        LinuxWorkspace("/proc", {}, untouched.runner(), session({"GNOME"})).open(toString(SettingsPane::automation)));

    // Any other address still goes to the URL handler.
    Recorder web;
    EXPECT_TRUE(LinuxWorkspace("/proc", {}, web.runner(), session({})).open("https://example.com/"));
    EXPECT_EQ(web.first(), (Command{"/usr/bin/xdg-open", {"https://example.com/"}}));
}
