#pragma once

#include "CorvaneApp/AppSettings.hpp"
#include "CorvaneApp/FixActions.hpp"
#include "CorvaneApp/Monitor.hpp"
#include "CorvaneApp/Router.hpp"

#include <functional>
#include <string>
#include <vector>

namespace corvane::screenshots {

// What a fixture may set up: the Monitor's published state, pending questions and toasts,
// and settings. Nothing runs: the tool never starts sampling.
struct FixtureWorld {
    Monitor& monitor;
    FixActions& actions;
    Router& router;
    AppSettings& settings;
    Date now;
};

// One state of the app to render every view in. The files are named
// "<name>-<view>.png"; with `withCatalog` false the Monitor has no process catalog.
struct Fixture {
    std::string name;
    bool withCatalog = true;
    std::function<void(FixtureWorld&)> apply;
};

// Builders the fixtures and the screens' states share.

// A lone process named `name` with `helpers` more of its kind, as no app claims them.
ProcessGroup app(const std::string& name, int32_t pid, double cpu, int64_t memory, int helpers = 0);
// `count` processes running `path` from `pid` on; the first works hardest, each next
// one a little less than the one before.
std::vector<ProcessUsage> processes(const std::string& path, int32_t pid, double cpu, int64_t memory, int count = 1,
                                    uint32_t uid = 1000);
// A reading of an 8-core, 16 GB computer.
SystemSignals signals(double cpu, Pressure pressure, Thermal thermal);
// The apps of an ordinary afternoon.
std::vector<ProcessGroup> everydayApps();
// The everyday apps with the groups the monitor makes of `busy` among them.
std::vector<ProcessGroup> everydayAnd(std::vector<ProcessUsage> busy);
// A checked, published state: groups, signals, memory and the findings with their status.
void publish(FixtureWorld& world, std::vector<ProcessGroup> groups, SystemSignals reading, double cpuLevel,
             std::vector<Finding> findings);

// Every state the tool renders, in order. Add a state here to have every view drawn in it.
std::vector<Fixture> fixtures();

} // namespace corvane::screenshots
