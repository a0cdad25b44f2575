// One program of an app in the quit tests, run under the names of the programs it
// stands for: says "<name> ready" once it runs, "<name> term" when SIGTERM asks it to
// quit, and ends then; until then it waits.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

std::string name;

void say(const char* what)
{
    const std::string line = name + " " + what + "\n";
    [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, line.data(), line.size());
}

void quit(int)
{
    say("term");
    ::_exit(0);
}

} // namespace

int main(int, char** argv)
{
    const char* slash = std::strrchr(argv[0], '/');
    name = slash ? slash + 1 : argv[0];
    std::signal(SIGTERM, quit);
    say("ready");
    for (;;)
        ::pause();
}
