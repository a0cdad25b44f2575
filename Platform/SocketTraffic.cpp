#include "Platform/SocketTraffic.hpp"

#include "Core/Numbers.hpp"
#include "Core/Text.hpp"
#include "Platform/InstalledTool.hpp"

#include <algorithm>
#include <cstdint>
#include <map>
#include <system_error>
#include <thread>
#include <vector>

namespace corvane::SocketTraffic {
namespace {

struct SocketCounters {
    std::string addresses;  // local and peer: what tells one socket from another
    int32_t pid = 0;
    std::string name;
    int64_t bytesIn = 0;
    int64_t bytesOut = 0;
};

// The count in a "key:value" word, when the word is that key's; a byte count is never negative.
std::optional<int64_t> counter(std::string_view word, std::string_view key)
{
    if (word.size() <= key.size() || !word.starts_with(key) || word[key.size()] != ':')
        return std::nullopt;
    const auto count = Numbers::parseInt<int64_t>(word.substr(key.size() + 1));
    return count && *count >= 0 ? count : std::nullopt;
}

// The first user in `users:(("name",pid=N,fd=M),...)`. ss prints the name unescaped as the
// process set it, cut at its first ")": it may hold quotes, commas and even ",pid=", so the
// pid is the one after the last `",pid=` of the first entry.
bool readUser(std::string_view line, SocketCounters& socket)
{
    constexpr std::string_view opening = "users:((\"";
    constexpr std::string_view pidKey = "\",pid=";
    const auto start = line.find(opening);
    if (start == std::string_view::npos)
        return false;
    const auto nameStart = start + opening.size();
    const auto entry = line.substr(nameStart, line.find(')', nameStart) - nameStart);
    const auto nameEnd = entry.rfind(pidKey);
    if (nameEnd == std::string_view::npos)
        return false;
    const auto pidText = entry.substr(nameEnd + pidKey.size());
    const auto pid = Numbers::parseInt<int32_t>(pidText.substr(0, pidText.find(',')));
    if (!pid)
        return false;
    socket.pid = *pid;
    socket.name = std::string(entry.substr(0, nameEnd));
    // A comma would split the name's column in two.
    std::replace(socket.name.begin(), socket.name.end(), ',', ' ');
    return true;
}

// One socket is a line "State Recv-Q Send-Q Local Peer users:(...)" followed by indented
// lines of "key:value" details. Sockets of processes we may not see carry no users.
std::vector<SocketCounters> parseListing(std::string_view text)
{
    std::vector<SocketCounters> sockets;
    bool known = false;  // whether the socket being read belongs to a process we can name
    for (const auto line : Text::splitSkippingEmpty(text, '\n')) {
        if (line.front() != ' ' && line.front() != '\t') {
            SocketCounters socket;
            const auto columns = Text::splitSkippingEmpty(line, ' ');
            known = columns.size() >= 5 && readUser(line, socket);
            if (known) {
                socket.addresses = std::string(columns[3]) + " " + std::string(columns[4]);
                sockets.push_back(std::move(socket));
            }
            continue;  // counters are read from the detail lines only, never from a name
        }
        if (!known)
            continue;
        for (const auto word : Text::splitSkippingEmpty(Text::trim(line), ' ')) {
            if (const auto received = counter(word, "bytes_received"))
                sockets.back().bytesIn = *received;
            else if (const auto acked = counter(word, "bytes_acked"))
                sockets.back().bytesOut = *acked;
        }
    }
    return sockets;
}

// A socket seen only in the second listing opened in between; a counter that went back
// belongs to a new socket on the same addresses. Either way all its bytes are new. Both
// counts are not negative, so the difference cannot overflow.
int64_t moved(int64_t before, int64_t after)
{
    return after >= before ? after - before : after;
}

struct ProcessTraffic {
    int32_t pid = 0;
    std::string name;
    int64_t bytesIn = 0;
    int64_t bytesOut = 0;
};

std::string csv(const std::vector<SocketCounters>& before, const std::vector<SocketCounters>& after)
{
    std::map<std::string, const SocketCounters*> earlier;
    for (const auto& socket : before)
        earlier.emplace(socket.addresses, &socket);
    std::vector<ProcessTraffic> processes;  // in the order the listing shows them
    for (const auto& socket : after) {
        const auto found = earlier.find(socket.addresses);
        const bool seenBefore = found != earlier.end() && found->second->pid == socket.pid;
        auto process = std::find_if(processes.begin(), processes.end(),
                                    [&](const ProcessTraffic& p) { return p.pid == socket.pid; });
        if (process == processes.end())
            process = processes.insert(processes.end(), {socket.pid, socket.name, 0, 0});
        const int64_t inBefore = seenBefore ? found->second->bytesIn : 0;
        const int64_t outBefore = seenBefore ? found->second->bytesOut : 0;
        process->bytesIn = Numbers::saturatingAdd(process->bytesIn, moved(inBefore, socket.bytesIn));
        process->bytesOut = Numbers::saturatingAdd(process->bytesOut, moved(outBefore, socket.bytesOut));
    }
    if (processes.empty())
        return {};
    std::string text = ",bytes_in,bytes_out,\n";
    for (const auto& p : processes) {
        text += p.name + "." + Numbers::toText(p.pid) + "," + Numbers::toText(p.bytesIn) + "," +
                Numbers::toText(p.bytesOut) + ",\n";
    }
    return text;
}

} // namespace

std::string sample(const std::optional<std::string>& ssPath, const CommandRunner& run, const Sleeper& sleep)
{
    if (!ssPath)
        return {};
    const std::vector<std::string> arguments{"-tinpH"};
    try {
        const auto before = parseListing(run(*ssPath, arguments).stdout);
        sleep(std::chrono::seconds(1));
        const auto after = parseListing(run(*ssPath, arguments).stdout);
        return csv(before, after);
    } catch (const std::system_error&) {
        return {};
    }
}

std::string sample()
{
    return sample(Platform::installedTool({"/usr/bin/ss", "/bin/ss", "/usr/sbin/ss", "/sbin/ss"}), Shell::run,
                  [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); });
}

} // namespace corvane::SocketTraffic
