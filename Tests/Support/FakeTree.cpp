#include "Tests/Support/FakeTree.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>

namespace fs = std::filesystem;

namespace corvane::test {

FakeTree::FakeTree()
{
    std::string pattern = (fs::temp_directory_path() / "corvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
}

FakeTree::~FakeTree()
{
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string FakeTree::path(std::string_view relative) const
{
    return relative.empty() ? root_.string() : (root_ / relative).string();
}

std::string FakeTree::write(std::string_view relative, std::string_view content) const
{
    const fs::path file = root_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
    return file.string();
}

std::string FakeTree::mkdir(std::string_view relative) const
{
    const fs::path folder = root_ / relative;
    fs::create_directories(folder);
    return folder.string();
}

std::string FakeTree::symlink(std::string_view relative, std::string_view target) const
{
    const fs::path link = root_ / relative;
    fs::create_directories(link.parent_path());
    fs::create_symlink(target, link);
    return link.string();
}

std::string FakeTree::read(std::string_view relative) const
{
    std::ifstream in(root_ / relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<fs::path> FakeTree::entries(std::string_view prefix, std::string_view folder) const
{
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(root_ / folder)) {
        if (entry.path().filename().string().starts_with(prefix))
            found.push_back(entry.path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string fixture(std::string_view relative)
{
    const fs::path file = fs::path(CORVANE_FIXTURES) / relative;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("missing fixture " + file.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace corvane::test
