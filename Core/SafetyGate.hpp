#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace corvane::SafetyGate {

// The process and app names the program never quits.
const std::set<std::string>& denyNames();

// Whether the user may be offered to quit a process or app.
bool canQuit(uint32_t uid, uint32_t currentUID, const std::string& path, const std::string& name,
             bool isRegularApp);

// As canQuit, for an installed desktop app outside any ".app" bundle. Such an app's
// programs lie under /usr like the system's own, so where it lies says nothing; that
// the desktop lists it as an app a person starts (`isRegularApp`) stands in.
bool canQuitInstalledApp(uint32_t uid, uint32_t currentUID, const std::string& path, const std::string& name,
                         bool isRegularApp);

} // namespace corvane::SafetyGate
