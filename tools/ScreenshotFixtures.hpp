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

// A group of `helpers` + 1 processes named `name`; an app bundle's when `appPath` is given.
ProcessGroup app(const std::string& name, int32_t pid, double cpu, int64_t memory, int helpers = 0,
                 std::optional<std::string> appPath = std::nullopt);
// A reading of an 8-core, 16 GB computer.
SystemSignals signals(double cpu, Pressure pressure, Thermal thermal);
// The apps of an ordinary afternoon.
std::vector<ProcessGroup> everydayApps();
// A checked, published state: groups, signals, memory and the findings with their status.
void publish(FixtureWorld& world, std::vector<ProcessGroup> groups, SystemSignals reading, double cpuLevel,
             std::vector<Finding> findings);

// Every state the tool renders, in order. Add a state here to have every view drawn in it.
std::vector<Fixture> fixtures();

} // namespace corvane::screenshots
