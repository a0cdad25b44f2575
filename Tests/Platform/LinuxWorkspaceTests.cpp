#include "Platform/LinuxWorkspace.hpp"

#include "Core/Numbers.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <mutex>
#include <unistd.h>

using namespace corvane;

namespace {

// Applications folders "a", "b" and "c" in that order of precedence, with installed
// programs beside them.
struct Installed {
    test::FakeTree data;
    std::vector<std::filesystem::path> folders{data.path("a"), data.path("b"), data.path("c")};

    std::string program(const std::string& relative)
    {
        const auto path = data.write(relative, "#!/bin/sh\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
        return path;
    }
    void entry(const std::string& relative, const std::string& exec)
    {
        data.write(relative, "[Desktop Entry]\nType=Application\nName=X\nExec=" + exec + "\n");
    }
};

} // namespace

TEST(DesktopEntries, AnAppIsFoundByItsEntryAndIsWhereItsProgramIs)
{
    Installed installed;
    installed.entry("b/app.example.Tool.desktop", installed.program("opt/tool/bin/tool") + " %f");
    installed.entry("c/app.example.Tool.desktop", installed.program("opt/other/other"));
    installed.data.mkdir("a/app.example.Folder.desktop");
    // A browser is found under its own entry name; its folder is the resolved program's.
    installed.data.symlink("bin/google-chrome-stable", "../opt/google/chrome/google-chrome");
    installed.program("opt/google/chrome/google-chrome");
    installed.entry("c/google-chrome.desktop", installed.data.path("bin/google-chrome-stable") + " %U");
    LinuxWorkspace workspace("/proc", installed.folders, Shell::run);

    EXPECT_EQ(workspace.urlForApplication("app.example.Tool"), installed.data.path("opt/tool/bin"));
    EXPECT_EQ(workspace.urlForApplication("com.google.Chrome"), installed.data.path("opt/google/chrome"));
    EXPECT_EQ(workspace.urlForApplication("com.brave.Browser"), std::nullopt);
    EXPECT_EQ(workspace.urlForApplication("app.example.Folder"), std::nullopt);
    EXPECT_EQ(workspace.urlForApplication("../c/x"), std::nullopt);
}

TEST(DesktopEntries, OpeningRunsTheToolsAwayFromTheCaller)
{
    // The runs happen on their own thread; the state outlives the test if need be.
    struct Runs {
        std::mutex lock;
        std::vector<std::vector<std::string>> seen;
        std::promise<void> finished;
    };
    const auto recorder = [](std::shared_ptr<Runs> runs, std::string last, std::string missing) -> CommandRunner {
        return [=](const std::string& path, const std::vector<std::string>& arguments) {
            {
                std::lock_guard guard(runs->lock);
                runs->seen.push_back(arguments);
                runs->seen.back().insert(runs->seen.back().begin(), path);
            }
            if (path == last)
                runs->finished.set_value();
            if (path == missing)
                throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
            return Shell::Output{};
        };
    };
    const auto seen = [](const std::shared_ptr<Runs>& runs) {
        runs->finished.get_future().wait();
        std::lock_guard guard(runs->lock);
        return runs->seen;
    };
    using Seen = std::vector<std::vector<std::string>>;

    const std::string url = "https://example.com/a b?x=1;$(rm -rf ~)";
    auto opening = std::make_shared<Runs>();
    LinuxWorkspace("/proc", {}, recorder(opening, "/usr/bin/xdg-open", "/usr/bin/xdg-open")).open(url);
    EXPECT_EQ(seen(opening), (Seen{{"/usr/bin/xdg-open", url}}));

    // An app is launched from the entry it was found through.
    Installed installed;
    installed.entry("b/a.b.desktop", installed.program("opt/ab/ab"));
    const auto entry = installed.data.path("b/a.b.desktop");
    const auto app = LinuxWorkspace("/proc", installed.folders, Shell::run).urlForApplication("a.b");
    ASSERT_TRUE(app);
    auto withGio = std::make_shared<Runs>();
    LinuxWorkspace("/proc", installed.folders, recorder(withGio, "/usr/bin/gio", "")).openApplication(*app);
    EXPECT_EQ(seen(withGio), (Seen{{"/usr/bin/gio", "launch", entry}}));

    auto withoutGio = std::make_shared<Runs>();
    LinuxWorkspace("/proc", installed.folders, recorder(withoutGio, "/usr/bin/gtk-launch", "/usr/bin/gio")).openApplication(*app);
    EXPECT_EQ(seen(withoutGio), (Seen{{"/usr/bin/gio", "launch", entry}, {"/usr/bin/gtk-launch", "a.b.desktop"}}));
}

// Only the tool's exit tells whether a handler took a web page; what it printed stays with it.
TEST(DesktopEntries, AWebPageOpensOnlyWhenTheToolSaysAHandlerTookIt)
{
    const std::string url = "https://example.com/a b?x=1;$(rm -rf ~)";
    struct Case {
        std::optional<int32_t> status;  // none: the tool is not installed
        bool opened;
    };
    for (const Case& c : {Case{0, true}, Case{3, false}, Case{4, false}, Case{std::nullopt, false}}) {
        std::vector<std::string> seen;
        const CommandRunner run = [&](const std::string& path, const std::vector<std::string>& arguments) {
            seen = arguments;
            seen.insert(seen.begin(), path);
            if (!c.status)
                throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory));
            return Shell::Output{*c.status, "", "/usr/bin/xdg-open: 882: firefox: not found\n"};
        };
        EXPECT_EQ(LinuxWorkspace("/proc", {}, run).openPage(url), c.opened) << c.status.value_or(-1);
        EXPECT_EQ(seen, (std::vector<std::string>{"/usr/bin/xdg-open", url}));
    }
}
