#pragma once

#include <filesystem>

namespace corvane::test {

// A folder nothing can be created in or renamed out of while this lives, as a read-only
// store is, for whoever runs the test: its write permission is taken away, and a root
// test thread gives up, for this thread only, the capabilities that let root write there
// all the same. Everything is given back at the end.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(std::filesystem::path folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // The capabilities a root process gives up so that folder permissions hold for it;
    // for a child process, dropped from its bounding set before it starts the program.
    static const int overrideCapabilities[2];

private:
    std::filesystem::path folder_;
    std::filesystem::perms before_;
    unsigned effectiveBefore_[2] = {0, 0};
};

} // namespace corvane::test
