#pragma once

#include "Core/NetUsage.hpp"

#include <string>
#include <string_view>
#include <vector>

// Which processes use the network, and how much.
namespace corvane::NetTop {

// The per-process traffic tool's options: per process, two samples one second apart in
// delta mode, as comma-separated bytes_in and bytes_out. The socket-table stand-in prints
// the same shape.
inline const std::vector<std::string> arguments{"-P", "-d", "-L", "2", "-s", "1", "-x", "-J", "bytes_in,bytes_out"};

// The processes that moved bytes in the last second, busiest first. Takes about a second;
// empty when the traffic cannot be read.
std::vector<NetUsage> sample();

// Reads the tool's comma-separated output: only the lines after the last ",bytes_in"
// header (or all lines when there is none), each "name.pid,bytes_in,bytes_out". Lines
// that do not read so, or that moved nothing, are skipped. Sorted stably by total, largest first.
std::vector<NetUsage> parse(std::string_view text);

} // namespace corvane::NetTop
