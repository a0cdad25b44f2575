#pragma once

#include "Core/ProcessSource.hpp"

#include <optional>
#include <string_view>
#include <vector>

namespace corvane::PSParser {

// The text of "ps -axo pid=,ppid=,uid=,user=,time=,rss=,%cpu=,comm=" as samples,
// in input order; lines that do not parse are dropped.
std::vector<ProcessSample> parse(std::string_view text);

// "[[hh:]mm:]ss.ss" cumulative time to seconds; nothing when it does not parse.
std::optional<double> cpuSeconds(std::string_view text);

} // namespace corvane::PSParser
