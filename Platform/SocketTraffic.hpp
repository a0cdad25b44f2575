#pragma once

#include "Core/Shell.hpp"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

// Per-process network traffic on Linux, from the TCP socket table that `ss -tinpH` prints.
namespace corvane::SocketTraffic {

using Sleeper = std::function<void(std::chrono::milliseconds)>;

// The bytes each process moved over TCP in one second, from two socket listings one
// second apart, as comma-separated values: a ",bytes_in,bytes_out," header, then one
// "name.pid,in,out," line per process. Bytes in are the sockets' bytes_received, bytes out
// their bytes_acked. Empty when ss is missing (`ssPath` nothing, or it cannot be started).
std::string sample(const std::optional<std::string>& ssPath, const CommandRunner& run, const Sleeper& sleep);

// The same on the live system.
std::string sample();

} // namespace corvane::SocketTraffic
