#pragma once

#include "CorvaneApp/FixActions.hpp"
#include "CorvaneApp/Router.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"
#include "Tests/App/Support/FakeFixBackend.hpp"
#include "Tests/App/Support/MonitorHarness.hpp"

#include <memory>

namespace corvane::test {

// A view environment over a harness Monitor with the shipped catalog, virtual time, a
// step executor and a fix backend that only records.
struct ProcessesTestEnvironment {
    MonitorHarness harness;
    // The catalog must be in place before the Monitor is built, which loads it once.
    Monitor& monitor = (harness.catalog = ProcessCatalog::load(CORVANE_CATALOG), harness.monitor());
    Router router;
    std::shared_ptr<FakeFixBackend> backend = std::make_shared<FakeFixBackend>();
    FixActions fixActions{monitor, router, harness.executor, backend};
    ViewEnvironment env{monitor, router, fixActions, *harness.settings, harness.clock, harness.scheduler,
                        harness.executor};
};

// A group of one or more processes, as the monitor publishes them.
inline ProcessGroup testGroup(const std::string& name, double cpu, int64_t memory, int members = 1,
                              std::optional<std::string> appPath = std::nullopt, int32_t firstPID = 100)
{
    ProcessGroup group{appPath ? *appPath : "pid:" + std::to_string(firstPID), name, appPath, {}, cpu, memory, true};
    for (int i = 0; i < members; ++i) {
        const std::string path = appPath ? *appPath + "/Contents/MacOS/" + name : "/usr/bin/" + name;
        group.members.push_back({firstPID + i, 1, 1000, "ada", path, i == 0 ? name : name + " Helper",
                                 i == 0 ? cpu : 0, memory / members});
    }
    return group;
}

} // namespace corvane::test
