#pragma once

#include "Core/Finding.hpp"
#include "Core/LinkType.hpp"
#include "Core/NetUsage.hpp"
#include "Core/SpeedResult.hpp"
#include "Core/WiFiLink.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The internet check's findings: offline, weak or slow-band Wi-Fi, a slow or laggy line,
// and processes using much of the connection. Highest severity first.
namespace corvane::InternetDiagnosis {

// The display name of the app that holds a process, or nothing.
using AppNamer = std::function<std::optional<std::string>(int32_t pid)>;

// `speed` is nothing when there is no current result; `usage` is taken in the order given.
std::vector<Finding> run(LinkType link, const std::optional<WiFiLink>& wifi, const std::optional<SpeedResult>& speed,
                         const std::vector<NetUsage>& usage, const AppNamer& appName);

} // namespace corvane::InternetDiagnosis
