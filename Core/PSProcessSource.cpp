#include "Core/PSProcessSource.hpp"

#include "Core/BackgroundItemsReader.hpp"
#include "Core/PSParser.hpp"
#include "Core/Shell.hpp"

#include <chrono>

namespace corvane {

Snapshot PSProcessSource::sample()
{
    const auto output = Shell::run("/bin/ps", {"-axo", "pid=,ppid=,uid=,user=,time=,rss=,%cpu=,comm="});
    if (output.status != 0)
        throw SamplerError::psFailed(output.status);
    const Date takenAt = std::chrono::system_clock::now();
    return Snapshot{takenAt, PSParser::parse(output.stdout)};
}

std::string PSProcessSource::argsListing()
{
    return Shell::run("/bin/ps", {"-axo", "pid=,rss=,args="}).stdout;
}

std::map<std::string, int32_t> PSProcessSource::launchctlList()
{
    return BackgroundItemsReader::parseLaunchctlList(Shell::run("/bin/launchctl", {"list"}).stdout);
}

} // namespace corvane
