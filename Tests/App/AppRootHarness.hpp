#pragma once

#include "CorvaneApp/FixActions.hpp"
#include "CorvaneApp/Router.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"
#include "Tests/App/Support/FakeFixBackend.hpp"
#include "Tests/App/Support/MonitorHarness.hpp"

#include <memory>

namespace corvane::test {

// The shared objects of the main window over fakes: a Monitor whose state the test sets,
// a router, a fix dispatcher over a recording backend, virtual time and held work.
struct AppRootHarness {
    explicit AppRootHarness(bool withCatalog = true)
        : monitor(harness.monitor(withCatalog))
        , actions(monitor, router, harness.executor, backend)
        , environment{monitor, router, actions, *harness.settings, harness.clock, harness.scheduler, harness.executor}
    {
    }

    // A group of one process, as the Monitor publishes it.
    static ProcessGroup group(const std::string& id, const std::string& name, double cpu)
    {
        ProcessGroup g;
        g.id = id;
        g.displayName = name;
        g.cpuPercent = cpu;
        g.quittable = true;
        return g;
    }

    MonitorHarness harness;
    Monitor& monitor;
    Router router;
    std::shared_ptr<FakeFixBackend> backend = std::make_shared<FakeFixBackend>();
    FixActions actions;
    ViewEnvironment environment;
};

} // namespace corvane::test
