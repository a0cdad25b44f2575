#include "Platform/AppDataFolder.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace corvane;

TEST(AppDataFolder, FollowsXDGDataHomeOnlyWhenItIsAbsolute)
{
    EXPECT_EQ(AppDataFolder::path("/data", "/home/ann"), "/data/Corvane");
    EXPECT_EQ(AppDataFolder::path("", "/home/ann"), "/home/ann/.local/share/Corvane");
    EXPECT_EQ(AppDataFolder::path("relative/data", "/home/ann"), "/home/ann/.local/share/Corvane");
}

TEST(ApplicationFolders, FollowTheXdgVariablesWithTheirDefaults)
{
    const auto folders = [](std::map<std::string, std::string> variables) {
        return AppDataFolder::xdgApplicationFolders([variables](const char* name) -> const char* {
            const auto it = variables.find(name);
            return it == variables.end() ? nullptr : it->second.c_str();
        });
    };
    using Paths = std::vector<std::filesystem::path>;
    EXPECT_EQ(folders({{"HOME", "/home/me"}, {"XDG_DATA_HOME", ""}}),
              (Paths{"/home/me/.local/share/applications", "/usr/local/share/applications", "/usr/share/applications"}));
    EXPECT_EQ(folders({{"XDG_DATA_HOME", "relative"}, {"XDG_DATA_DIRS", "/a:rel::/b/"}}),
              (Paths{"/a/applications", "/b/applications"}));
    EXPECT_EQ(folders({{"HOME", "/home/me"}, {"XDG_DATA_HOME", "relative"}, {"XDG_DATA_DIRS", "/a"}}),
              (Paths{"/home/me/.local/share/applications", "/a/applications"}));
}
