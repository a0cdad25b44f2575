#pragma once

#include "CorvaneApp/ViewEnvironment.hpp"
#include "Tests/App/Support/FakeFixBackend.hpp"
#include "Tests/App/Support/MonitorHarness.hpp"

#include <memory>

namespace corvane::test {

// A view environment over the monitor harness: virtual time, a manual scheduler and a
// fix dispatcher whose actions are recorded.
struct ShellHarness {
    MonitorHarness harness;
    Router router;
    std::shared_ptr<FakeFixBackend> fixes = std::make_shared<FakeFixBackend>();
    FixActions actions{harness.monitor(), router, harness.executor, fixes};
    ViewEnvironment environment{harness.monitor(), router,          actions,         *harness.settings,
                                harness.clock,     harness.scheduler, harness.executor};
};

} // namespace corvane::test
