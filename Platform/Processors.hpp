#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace corvane::Processors {

// The number of processors online, from root/sys/devices/system/cpu/online; the C
// library's count when that file cannot be read.
int onlineCount(const std::filesystem::path& root = "/");

// The number of processors in a kernel CPU list such as "0-3,6,8-9"; nothing when
// the text is not such a list.
std::optional<int> countList(std::string_view text);

} // namespace corvane::Processors
