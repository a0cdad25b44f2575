#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::test {

// A throw-away folder for tests that read files: a fake /proc, /sys, home or
// history folder. Removed with everything in it when the object goes away.
class FakeTree {
public:
    FakeTree();
    ~FakeTree();
    FakeTree(const FakeTree&) = delete;
    FakeTree& operator=(const FakeTree&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::string path(std::string_view relative = {}) const;

    // Writes a file (creating its folders) and returns its full path.
    std::string write(std::string_view relative, std::string_view content) const;
    std::string mkdir(std::string_view relative) const;
    std::string symlink(std::string_view relative, std::string_view target) const;
    std::string read(std::string_view relative) const;
    // The entries of a folder in the tree whose names start with `prefix`, by name.
    std::vector<std::filesystem::path> entries(std::string_view prefix, std::string_view folder = {}) const;

private:
    std::filesystem::path root_;
};

// The text of a file under Tests/Fixtures.
std::string fixture(std::string_view relative);

} // namespace corvane::test
