#pragma once

#include "Core/ProcessSource.hpp"

#include <cstdint>
#include <map>
#include <string>

namespace corvane {

// The process table as /bin/ps prints it.
class PSProcessSource : public ProcessSource {
public:
    // Throws the launch error, or SamplerError::psFailed when ps exits non-zero.
    Snapshot sample() override;

    // The raw "pid=,rss=,args=" listing, whatever ps's status. Throws only the launch error.
    static std::string argsListing();

    // The running launchd jobs by label, from "launchctl list" whatever its status.
    // Throws only the launch error.
    static std::map<std::string, int32_t> launchctlList();
};

} // namespace corvane
