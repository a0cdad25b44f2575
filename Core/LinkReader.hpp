#pragma once

#include "Core/LinkType.hpp"
#include "Core/PathMonitor.hpp"
#include "Core/WiFiInterface.hpp"
#include "Core/WiFiLink.hpp"

#include <optional>

// Read-only probes of the current network connection. Nothing is kept between calls.
namespace corvane::LinkReader {

// The associated Wi-Fi link of the system's default wireless interface, or nothing when
// there is no such interface or it is off or not associated. May block briefly.
std::optional<WiFiLink> wifi();

// The same, read from a given interface.
std::optional<WiFiLink> wifi(WiFiInterface& interface);

// The kind of link the system's default path uses right now. Answers at once.
LinkType currentType();

// The kind of link in the first report of a freshly created, not yet started monitor;
// blocks until that report arrives. The monitor is cancelled inside the first report.
LinkType currentType(PathMonitor& monitor);

} // namespace corvane::LinkReader
