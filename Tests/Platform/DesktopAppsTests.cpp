#include "Platform/DesktopApps.hpp"

#include "Core/AppGrouper.hpp"
#include "Core/CPUMeter.hpp"
#include "Core/Numbers.hpp"
#include "Platform/AppScope.hpp"
#include "Platform/DesktopEntry.hpp"
#include "Platform/ProcProcessSource.hpp"
#include "Platform/ProgramKinds.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <unistd.h>

using namespace corvane;
namespace fs = std::filesystem;

TEST(DesktopEntry, ReadsTheMainGroupWithItsEscapes)
{
    const auto keys = DesktopEntry::parse("# comment\n[Other]\nName=Wrong\n[Desktop Entry]\n Name = My\\sApp \n"
                                          "Comment=one\\ntwo\\\\three\nName=Second\nName[de]=Meine\nbroken line\n");
    EXPECT_EQ(DesktopEntry::value(keys, "Name"), "My App");
    EXPECT_EQ(DesktopEntry::value(keys, "Comment"), "one\ntwo\\three");
    EXPECT_EQ(DesktopEntry::value(keys, "Name[de]"), "Meine");
    EXPECT_EQ(keys.size(), 3u);
    EXPECT_TRUE(DesktopEntry::read("/nonexistent/x.desktop").empty());

    test::FakeTree folder;
    EXPECT_TRUE(DesktopEntry::read(folder.write("huge.desktop", "[Desktop Entry]\nName=" + std::string(1 << 20, 'x')))
                    .empty());
}

TEST(DesktopEntry, ExecArgumentsLoseQuotesEscapesAndFieldCodes)
{
    using Arguments = std::vector<std::string>;
    const auto exec = [](std::string_view line) {
        return DesktopEntry::execArguments(DesktopEntry::value(DesktopEntry::parse(line), "Exec"));
    };
    EXPECT_EQ(exec("[Desktop Entry]\nExec=firefox-esr %u"), (Arguments{"firefox-esr"}));
    // Inside quotes \" \` \$ \\ stand for the character; the entry's own string rules come first.
    EXPECT_EQ(exec("[Desktop Entry]\nExec=\"/opt/My App/run\" --title \"a \\\\\"b\\\\\" \\\\$HOME\" 100%% %F"),
              (Arguments{"/opt/My App/run", "--title", "a \"b\" $HOME", "100%"}));
    EXPECT_EQ(exec("[Desktop Entry]\nExec=env  A=1\\tapp --icon %i %c"), (Arguments{"env", "A=1", "app", "--icon"}));
    EXPECT_EQ(exec("[Desktop Entry]\nExec=app \"\""), (Arguments{"app", ""}));
    EXPECT_EQ(exec("[Desktop Entry]\nName=No command"), Arguments{});
}

TEST(AppScope, NamesTheEntryOfTheInnermostAppUnit)
{
    const std::string user = "/user.slice/user-1000.slice/user@1000.service/app.slice/";
    EXPECT_EQ(AppScope::fromCgroupPath(user + "app-gnome-firefox\\x2desr-4242.scope"), "firefox-esr");
    EXPECT_EQ(AppScope::fromCgroupPath(user + "app-org.gnome.Terminal.slice/vte-spawn-1a2b.scope"), "org.gnome.Terminal");
    EXPECT_EQ(AppScope::fromCgroupPath(user + "app-org.kde.konsole@0a1b2c.service"), "org.kde.konsole");
    EXPECT_EQ(AppScope::fromCgroupPath(user + "app-gnome-org.gnome.Nautilus@12.service"), "org.gnome.Nautilus");
    EXPECT_EQ(AppScope::fromCgroupPath(user + "app-flatpak-org.mozilla.firefox-98765.scope"), "org.mozilla.firefox");
    EXPECT_EQ(AppScope::fromCgroupPath(user + "app-org.kde.dolphin-3f2a.scope"), "org.kde.dolphin");
    // D-Bus starts an activatable app in a slice named after its bus name; Snap in a scope of its own.
    EXPECT_EQ(AppScope::fromCgroupPath(user + "app-dbus\\x2d:1.2\\x2dorg.gnome.Nautilus.slice/dbus-:1.2-org.gnome.Nautilus@0.service"),
              "org.gnome.Nautilus");
    EXPECT_EQ(AppScope::fromCgroupPath(user + "snap.firefox.firefox-1e2c3d4e-5f60-4718-9a2b-3c4d5e6f7a8b.scope"), "firefox_firefox");
    EXPECT_EQ(AppScope::fromCgroupPath(user + "snap.code.code.2f3e.scope"), "code_code");
    EXPECT_EQ(AppScope::fromCgroupPath(user + "snap.broken.scope"), "");
    // The innermost app unit counts.
    EXPECT_EQ(AppScope::fromCgroupPath(user + "app-org.gnome.Terminal.slice/app-gnome-gedit-7.scope"), "gedit");
    EXPECT_EQ(AppScope::fromCgroupPath("/user.slice/user-1000.slice/session-2.scope"), "");
    EXPECT_EQ(AppScope::fromCgroupPath(user + "app.slice/dbus.service"), "");
    EXPECT_EQ(AppScope::fromCgroupPath("/"), "");
}

TEST(AppScope, ReadsTheUnifiedHierarchyElseTheSystemdOne)
{
    EXPECT_EQ(AppScope::fromCgroupFile("0::/user.slice/app.slice/app-gnome-gedit-7.scope\n"), "gedit");
    EXPECT_EQ(AppScope::fromCgroupFile("12:pids:/x\n1:name=systemd:/user.slice/app-gnome-gedit-7.scope\n0::/\n"),
              "gedit");
    EXPECT_EQ(AppScope::fromCgroupFile("4:memory:/app-gnome-gedit-7.scope\n0::/\n"), "");
    EXPECT_EQ(AppScope::fromCgroupFile(""), "");
}

// Only a script a shell or an interpreter runs is one: not an option's value, not the
// text a shell runs as a command, and nothing an interactive shell was given.
TEST(ProgramKinds, TheScriptIsTheFirstArgumentThatIsNoOptionNorAnOptionsValue)
{
    using Arguments = std::vector<std::string_view>;
    const std::pair<Arguments, std::string_view> shells[] = {
        {{"-e", "/x/run.sh", "-i"}, "/x/run.sh"},
        {{"--login", "-o", "pipefail", "+O", "extglob", "/x/run.sh"}, "/x/run.sh"},
        {{"--", "-run.sh"}, "-run.sh"},
        {{"--rcfile", "/x/run.sh", "-i"}, ""},
        {{"--init-file", "/x/run.sh"}, ""},
        {{"-i", "/x/run.sh"}, ""},
        {{"-ec", "/x/run.sh", "name"}, ""},
        {{"-s", "/x/run.sh"}, ""},
        {{}, ""},
    };
    for (const auto& [options, expected] : shells) {
        const auto script = scriptArgument("/usr/bin/bash", options);
        EXPECT_EQ(script == options.end() ? "" : *script, expected) << (options.empty() ? "" : options.front());
    }
    // An interpreter's "-i" runs its script, then asks for more.
    const Arguments python{"-i", "/x/x.py"};
    EXPECT_EQ(scriptArgument("/usr/bin/python3.11", python), python.begin() + 1);
}

// What the walk out from a program stops at, and which folders are no app's own.
TEST(SharedFolders, AreTheListedAndAPersonsToolFolders)
{
    const std::map<std::string, std::string> environment{
        {"HOME", "/home/me"}, {"PATH", "/opt/tools/bin/:relative"}, {"XDG_CONFIG_HOME", "/etc/me"},
        {"XDG_CACHE_HOME", "relative"}, {"XDG_RUNTIME_DIR", "/run/user/1000"}};
    const auto shared = SharedFolders::session([&](const char* name) {
        const auto found = environment.find(name);
        return found == environment.end() ? nullptr : found->second.c_str();
    });
    const std::tuple<std::string_view, bool, bool> cases[] = {
        // folder, is one, is or holds one
        {"/opt/tools/bin", true, true},          {"/opt/tools", false, true},
        {"/usr/lib/firefox-esr", false, false},  {"/home", false, true},
        {"/home/me/.local", true, true},         {"/home/me/.local/share", true, true},
        {"/home/me/.cargo/bin", true, true},     {"/home/me/go/bin", true, true},
        {"/etc/me", true, true},                 {"/run/user/1000", true, true},
        {"/home/me/Apps/editor", false, false},  {"/home/me/Apps/editor/bin", false, false},
        {"/home/me-too/bin", false, false},
    };
    for (const auto& [folder, contained, held] : cases) {
        EXPECT_EQ(shared.contains(folder), contained) << folder;
        EXPECT_EQ(shared.holdsOne(folder), held) << folder;
    }
    // With the root folder as home every folder of the system would be a person's.
    EXPECT_FALSE(SharedFolders({}, "/").contains("/opt/google"));
}

// A claim names an app of the index it is made for, one app per root.
TEST(DesktopAppIndex, ClaimsOnlyForItsOwnApps)
{
    DesktopAppIndex::Builder builder({});
    const auto& viewer = builder.add({{"/opt/viewer", "Viewer", "", true}, {}, false});
    EXPECT_EQ(&builder.add({{"/opt/viewer", "Other", "", true}, {}, false}), &viewer);
    EXPECT_THROW(DesktopAppIndex::Builder({}).claimFolder("/opt/viewer", viewer), std::invalid_argument);
}

namespace {

const uint32_t me = ::geteuid();

// A fake machine: its bin and lib folders, an applications folder, and a /proc
// whose processes run the programs in it.
class InstalledAppsTest : public ::testing::Test {
protected:
    test::FakeTree system, proc;
    DesktopApps apps{places()};

    DesktopApps::Places places()
    {
        for (const auto folder : {"usr/bin", "usr/lib", "opt", "me/.local/bin", "home/applications", "share/applications"})
            system.mkdir(folder);
        return {.applicationFolders = {system.path("home/applications"), system.path("share/applications")},
                .configFolders = {system.path("etc/xdg")},
                .searchPath = {system.path("usr/bin"), system.path("me/.local/bin")},
                .sharedFolders = SharedFolders({system.path("usr/bin"), system.path("usr/lib"), system.path("opt")},
                                               system.path("me"))};
    }

    // An executable file: a compiled program unless given a script's text.
    std::string program(const std::string& relative, const std::string& content = "\x7f" "ELF")
    {
        const auto path = system.write(relative, content);
        fs::permissions(path, fs::perms::owner_exec, fs::perm_options::add);
        return path;
    }

    void entry(const std::string& id, const std::string& keys, const std::string& folder = "share/applications")
    {
        system.write(folder + "/" + id + ".desktop", "[Desktop Entry]\nType=Application\n" + keys + "\n");
    }

    void process(int pid, const std::string& exe, uint64_t started, const std::string& unit = {}, uint32_t uid = me,
                 const std::vector<std::string>& arguments = {})
    {
        const auto folder = Numbers::toText(pid);
        std::string cmdline = exe + '\0';
        for (const auto& argument : arguments)
            cmdline += argument + '\0';
        proc.write(folder + "/cmdline", cmdline);
        proc.write(folder + "/stat", folder + " (x) S 1 1 1 0 -1 4194560 0 0 0 0 0 0 0 0 20 0 1 0 "
                                         + Numbers::toText(started) + " 1000 10 0 0 0 0 0 0 0 0 0 0 0 0 17 0\n");
        proc.symlink(folder + "/exe", exe);
        proc.write(folder + "/cgroup", "0::/user.slice/user-1000.slice/user@1000.service/app.slice/" + unit + "\n");
        if (uid != me && ::chown(proc.path(folder).c_str(), uid, static_cast<gid_t>(-1)) != 0)
            throw std::runtime_error("cannot chown a fake process folder");
    }

    // One tick's groups over the fake /proc.
    std::vector<ProcessGroup> groups()
    {
        const auto snapshot = ProcProcessSource(proc.path(), {100, 4096}).sample();
        const auto usage = CPUMeter::usage(std::nullopt, snapshot, [](int32_t) { return std::nullopt; });
        return AppGrouper::group(usage, me, apps.current().get());
    }

    // Which app a process is, by name ("" for none): one line of a table of processes.
    struct Process {
        std::string exe;
        std::vector<std::string> options;
        std::string unit;       // the entry id its session unit names
        bool terminal = false;  // started at a prompt
        std::string app;
    };
    static void expectOwners(const DesktopAppIndex& index, const std::vector<Process>& table)
    {
        for (const auto& row : table) {
            std::string arguments = row.exe + '\0';
            for (const auto& option : row.options)
                arguments += option + '\0';
            const InstalledApp* app = index.owner({row.exe, arguments, row.unit, row.terminal});
            EXPECT_EQ(app ? app->name : "", row.app) << row.exe << (row.options.empty() ? "" : " " + row.options[0])
                                                     << (row.terminal ? " at a prompt" : "");
        }
    }

    static const ProcessGroup& only(const std::vector<ProcessGroup>& groups, const std::string& id)
    {
        const auto found = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.id == id; });
        if (found == groups.end())
            throw std::runtime_error("no group " + id);
        return *found;
    }
};

} // namespace

TEST_F(InstalledAppsTest, ABrowserAndItsHelpersInItsOwnFolderAreOneApp)
{
    // The entry starts a wrapper script through a /usr/bin link; the processes run the real program.
    program("opt/google/chrome/google-chrome");
    const auto chrome = program("opt/google/chrome/chrome");
    const auto crashpad = program("opt/google/chrome/chrome_crashpad_handler");
    system.symlink("usr/bin/google-chrome-stable", "../../opt/google/chrome/google-chrome");
    entry("google-chrome", "Name=Google Chrome\nExec=google-chrome-stable %U");
    for (int i = 0; i < 12; ++i)
        process(100 + i, chrome, 50 + i);
    process(200, crashpad, 49);

    const auto all = groups();
    ASSERT_EQ(all.size(), 1u);
    const auto& browser = all[0];
    EXPECT_EQ(browser.id, system.path("opt/google/chrome"));
    EXPECT_EQ(browser.appPath, browser.id);
    EXPECT_EQ(browser.displayName, "Google Chrome");
    EXPECT_EQ(browser.helperCount(), 12);
    EXPECT_TRUE(browser.quittable);
}

TEST_F(InstalledAppsTest, AnAppStartedThroughALinkHasTheEarliestProcessOfItsProgramAsPrimary)
{
    const auto firefox = program("usr/lib/firefox-esr/firefox-esr");
    system.symlink("usr/bin/firefox-esr", "../lib/firefox-esr/firefox-esr");
    entry("firefox-esr", "Name=Firefox ESR\nName[de]=Firefox ESR (de)\nExec=firefox-esr %u");
    process(300, firefox, 900);  // a content process, started later
    process(301, firefox, 500);  // the main one
    process(302, program("usr/lib/firefox-esr/crashhelper"), 400);

    const auto all = groups();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].id, system.path("usr/lib/firefox-esr"));
    EXPECT_EQ(all[0].displayName, "Firefox ESR");
    EXPECT_EQ(all[0].primary().pid, 301);
    EXPECT_EQ(all[0].primary().startTime, 5.0);
}

TEST_F(InstalledAppsTest, AppsSharingABinFolderAreTheirProgramsAndUnnamedToolsStayAlone)
{
    const auto editor = program("usr/bin/gedit");
    const auto calculator = program("usr/bin/gnome-calculator");
    const auto grep = program("usr/bin/grep");
    entry("org.gnome.gedit", "Name=Text Editor\nExec=gedit %U");
    entry("org.gnome.Calculator", "Name=Calculator\nExec=gnome-calculator");
    process(10, editor, 1);
    process(11, calculator, 2);
    process(12, editor, 3);
    process(13, grep, 4);

    const auto all = groups();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(only(all, editor).displayName, "Text Editor");
    EXPECT_EQ(only(all, editor).helperCount(), 1);
    EXPECT_EQ(only(all, calculator).displayName, "Calculator");
    const auto& tool = only(all, "pid:13");
    EXPECT_EQ(tool.displayName, "grep");
    EXPECT_FALSE(tool.appPath);
    EXPECT_FALSE(tool.quittable);
}

TEST_F(InstalledAppsTest, ASessionUnitClaimsAProcessWhoseProgramLiesElsewhere)
{
    // Two Flatpak apps share their launcher, so only their units tell them apart.
    const auto flatpak = program("usr/bin/flatpak");
    entry("org.example.Notes", "Name=Notes\nExec=flatpak run org.example.Notes");
    entry("org.example.Paint", "Name=Paint\nExec=flatpak run org.example.Paint");
    // A wrapper script in its own folder runs an interpreter from /usr/bin.
    program("opt/tool/launch.sh", "#!/bin/sh\n");
    const auto python = program("usr/bin/python3");
    entry("tool", "Name=Tool\nExec=" + system.path("opt/tool/launch.sh"));
    process(20, "/app/bin/notes", 1, "app-flatpak-org.example.Notes-1234.scope");
    process(21, python, 2, "app-gnome-tool-77.scope");
    process(22, system.path("opt/tool/helper"), 3);
    process(23, flatpak, 4);
    process(24, python, 5);

    const auto all = groups();
    ASSERT_EQ(all.size(), 4u);
    const auto& notes = only(all, "org.example.Notes");
    EXPECT_EQ(notes.displayName, "Notes");
    EXPECT_EQ(notes.appPath, "org.example.Notes");
    const auto& tool = only(all, system.path("opt/tool"));
    EXPECT_EQ(tool.displayName, "Tool");
    ASSERT_EQ(tool.members.size(), 2u);
    EXPECT_EQ(tool.members[0].pid, 21);
    EXPECT_EQ(only(all, "pid:23").displayName, "flatpak");
    EXPECT_EQ(only(all, "pid:24").displayName, "python3");
}

TEST_F(InstalledAppsTest, AnotherUsersCopyStartedEarlierNeitherBlocksNorInflatesMine)
{
    if (me != 0)
        GTEST_SKIP() << "needs root to own fake process folders";
    const auto app = program("usr/lib/firefox-esr/firefox-esr");
    entry("firefox-esr", "Name=Firefox ESR\nExec=" + app + " %u");
    process(30, app, 10, {}, 1234);  // theirs, started first
    process(31, app, 20);
    process(32, app, 30);

    const auto all = groups();
    ASSERT_EQ(all.size(), 2u);
    const auto& mine = only(all, system.path("usr/lib/firefox-esr"));
    EXPECT_EQ(mine.members.size(), 2u);
    EXPECT_EQ(mine.primary().pid, 31);
    EXPECT_TRUE(mine.quittable);
    EXPECT_FALSE(only(all, "uid:1234:" + system.path("usr/lib/firefox-esr")).quittable);
}

TEST_F(InstalledAppsTest, EntriesFollowPrecedenceHiddenTryExecTypeAndSuites)
{
    const auto writer = program("usr/lib/office/program/soffice");
    system.symlink("usr/bin/office", "../lib/office/program/soffice");
    entry("office-writer", "Name=Office Writer\nExec=office --writer %U");
    entry("office-startcenter", "Name=Office\nExec=office %U");
    entry("office-handler", "Name=Off\nNoDisplay=true\nExec=office %U");
    // A hidden entry in the first folder hides the same id further down.
    const auto viewer = program("opt/viewer/viewer");
    entry("viewer", "Name=Viewer\nHidden=true\nExec=" + viewer, "home/applications");
    entry("viewer", "Name=Viewer\nExec=" + viewer);
    entry("gone", "Name=Gone\nTryExec=not-installed\nExec=" + viewer);
    system.write("share/applications/link.desktop", "[Desktop Entry]\nType=Link\nName=Link\nURL=https://x\n");
    const auto settings = program("usr/bin/settings");
    entry("settings", "Name=Settings\nExec=settings");
    entry("settings-wifi", "Name=Wi-Fi\nNoDisplay=true\nExec=settings wifi");
    // A part of the session in a folder of its own is an app, though none a person quits;
    // in a bin folder it claims nothing, nor does a terminal program.
    const auto panel = program("opt/panel/panel");
    entry("panel", "Name=Panel\nNoDisplay=true\nExec=" + panel);
    const auto shell = program("usr/bin/shell");
    entry("shell", "Name=Shell\nNoDisplay=true\nExec=shell");
    const auto editor = program("usr/bin/editor");
    entry("editor", "Name=Editor\nTerminal=true\nExec=editor %F");

    const auto index = apps.current();
    const auto* office = index->owner({writer, {}, {}});
    ASSERT_NE(office, nullptr);
    EXPECT_EQ(office->name, "Office");  // the suite's own entry over its components and a hidden one
    EXPECT_EQ(index->byEntry("office-writer")->app, *office);
    EXPECT_EQ(index->owner({viewer, {}, {}}), nullptr);
    EXPECT_EQ(index->byEntry("viewer"), nullptr);
    EXPECT_EQ(index->byEntry("gone"), nullptr);
    EXPECT_EQ(index->byEntry("link"), nullptr);
    ASSERT_NE(index->owner({settings, {}, {}}), nullptr);
    EXPECT_EQ(index->owner({settings, {}, {}})->name, "Settings");  // a hidden entry does not make it a launcher
    EXPECT_EQ(index->owner({settings, {}, "settings-wifi"})->name, "Settings");
    EXPECT_EQ(index->byRoot(system.path("usr/lib/office/program"))->entry,
              system.path("share/applications/office-startcenter.desktop"));
    EXPECT_TRUE(office->regular);
    ASSERT_NE(index->owner({panel, {}, {}}), nullptr);
    EXPECT_FALSE(index->owner({panel, {}, {}})->regular);
    EXPECT_EQ(index->owner({shell, {}, {}}), nullptr);
    EXPECT_EQ(index->owner({editor, {}, {}}), nullptr);
    EXPECT_FALSE(index->byEntry("editor")->app.regular);
}

// An entry that starts a shell or an interpreter claims none of the processes running
// it, and programs of different entries in one folder do not make one app of it.
TEST_F(InstalledAppsTest, RunnersAndFoldersOfSeveralProgramsClaimNothingElse)
{
    const auto sh = program("usr/bin/sh");
    entry("backup", "Name=Backup\nExec=sh -c \"backup --now\"");
    const auto python = program("opt/tools/python3");
    entry("notebook", "Name=Notebook\nExec=" + python + " -m notebook");
    const auto mixer = program("opt/libexec/mixer");
    const auto player = program("opt/libexec/player");
    const auto indexer = program("opt/libexec/indexer");
    entry("mixer", "Name=Mixer\nExec=" + mixer);
    entry("player", "Name=Player\nExec=" + player);
    process(10, sh, 5);
    process(11, python, 6);
    process(12, mixer, 7);
    process(13, player, 8);
    process(14, indexer, 9);
    // In the entry's own unit: the shell it started is no member, what the shell runs is.
    process(15, sh, 10, "app-backup-77.scope");
    process(16, program("usr/bin/backup"), 11, "app-backup-77.scope");

    const auto all = groups();
    for (const int pid : {10, 11, 14, 15})
        EXPECT_FALSE(only(all, "pid:" + Numbers::toText(pid)).appPath) << pid;
    EXPECT_EQ(only(all, mixer).displayName, "Mixer");
    EXPECT_EQ(only(all, player).displayName, "Player");
    EXPECT_EQ(only(all, "backup").members.at(0).pid, 16);  // found through its session unit alone
}

TEST_F(InstalledAppsTest, EntriesAreReadAgainOnlyWhenAFolderChanges)
{
    const auto notes = program("opt/notes/notes");
    const auto first = apps.current();
    EXPECT_EQ(first->owner({notes, {}, {}}), nullptr);
    EXPECT_EQ(apps.current(), first);

    entry("notes", "Name=Notes\nExec=" + notes, "home/applications");
    const auto second = apps.current();
    EXPECT_NE(second, first);
    ASSERT_NE(second->owner({notes, {}, {}}), nullptr);
    EXPECT_EQ(apps.current(), second);

    // In a vendor subfolder, named with its folder.
    entry("vendor/paint", "Name=Paint\nExec=" + program("opt/paint/paint"));
    ASSERT_NE(apps.current()->byEntry("vendor-paint"), nullptr);
}

// The session starting a program in a mode of its own leaves the program's other
// processes to the app whose folder holds it.
TEST_F(InstalledAppsTest, AProgramInNoneOfItsModesIsTheAppOfItsFolder)
{
    const auto sync = program("opt/sync/sync");
    entry("sync", "Name=Sync\nExec=" + sync);
    system.write("etc/xdg/autostart/sync.desktop", "[Desktop Entry]\nType=Application\nExec=" + sync + " --minimized\n");
    expectOwners(*apps.current(), {
        {sync, {}, {}, false, "Sync"},
        {sync, {"--minimized"}, {}, false, ""},  // the session's
        {sync, {"--sync-now"}, {}, false, "Sync"},
    });
}

// A folder on the search path and the home folder hold the programs of many packages:
// no app takes them with its folder, nor with a folder holding one.
TEST_F(InstalledAppsTest, NoAppClaimsTheProgramsOfASharedFolderByItsFolder)
{
    const auto tool = program("me/.local/tool");
    entry("tool", "Name=Tool\nExec=" + tool);
    const auto editor = program("me/Apps/editor/editor");
    entry("editor", "Name=Editor\nExec=" + editor);
    expectOwners(*apps.current(), {
        {tool, {}, {}, false, "Tool"},
        {program("me/.local/bin/bash"), {}, {}, false, ""},
        {program("me/.local/bin/tmux"), {}, {}, false, ""},
        {program("me/.local/bin/notes"), {}, {}, false, ""},
        {program("me/.local/share/game/game"), {}, {}, false, ""},
        // An app folder below the shared one keeps its own programs.
        {program("me/Apps/editor/lib/indexer"), {}, {}, false, "Editor"},
        {program("me/Apps/other"), {}, {}, false, ""},
    });
}

// An app started through a script runs its programs wherever they lie, so its unit
// decides for them; not for what a person starts at a prompt in its terminal, nor for
// the shells and multiplexers it brings along.
TEST_F(InstalledAppsTest, AnAppsUnitNeverClaimsWhatWasStartedAtAPrompt)
{
    const auto sh = program("usr/bin/sh");
    const auto launcher = program("opt/ide/ide.sh", "#!" + sh + "\n");
    entry("ide", "Name=IDE\nExec=" + launcher);
    const auto jvm = program("usr/lib/jvm/bin/java");
    const auto node = program("usr/bin/node");
    expectOwners(*apps.current(), {
        {jvm, {"-jar", "ide.jar"}, "ide", false, "IDE"},
        {node, {"server.js"}, "ide", false, "IDE"},
        {node, {"server.js"}, "ide", true, ""},
        {program("usr/bin/bash"), {}, "ide", false, ""},
        // Its program and its folder claim, wherever it was started.
        {sh, {launcher}, "", true, "IDE"},
        {program("opt/ide/bin/fsnotifier"), {}, "", true, "IDE"},
        {program("opt/ide/bin/bash"), {}, "ide", false, ""},
        {program("opt/ide/bin/zsh"), {}, "", false, ""},
        {program("opt/ide/bin/tmux"), {}, "", false, ""},
    });
}
