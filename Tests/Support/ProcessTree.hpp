#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace corvane::test {

// Programs a test starts in a process group of their own, with all they start in
// turn, writing to one pipe the test reads line by line. The group is killed and the
// programs reaped with the tree.
class ProcessTree {
public:
    // `environment`: "NAME=value" entries over this program's, for everything started.
    explicit ProcessTree(std::vector<std::string> environment = {});
    ~ProcessTree();
    ProcessTree(const ProcessTree&) = delete;
    ProcessTree& operator=(const ProcessTree&) = delete;

    // Starts a program (looked up in PATH) in the group; its output joins the tree's.
    // Throws std::runtime_error when it cannot be started.
    pid_t start(const std::vector<std::string>& argv);
    // The next whole line written by any of them; empty when none comes within a
    // generous bound.
    std::string line();
    // The processes of the group now.
    std::vector<pid_t> processes() const;
    // How a started program ended, "SIGTERM" or "exit 0"; "running" when it did not end
    // within a generous bound.
    std::string endedBy(pid_t started);
    // Whether a started program still runs now.
    bool running(pid_t started) const;
    // Kills the group and returns the lines not read yet.
    std::vector<std::string> rest();

private:
    void kill();

    std::vector<std::string> environment_;
    int read_ = -1, write_ = -1;
    pid_t group_ = 0;
    std::vector<pid_t> started_;
    std::string buffer_;
};

// Whether a process (not necessarily the test's child) ends within a generous bound.
bool ends(pid_t pid);

} // namespace corvane::test
